#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test kv3d; with
# --bench also the peers the benchmarks compare against (CGAL).
# As root it runs apt-get itself (only when something is missing); otherwise it
# prints the one apt-get line to run and fails.
set -euo pipefail

PACKAGES=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libeigen3-dev libcli11-dev nlohmann-json3-dev gcovr
)
if [ "${1:-}" = "--bench" ]; then
  PACKAGES+=(libcgal-dev)
fi

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
else
  echo "Missing packages. Run:" >&2
  echo "  sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}" >&2
  exit 1
fi
