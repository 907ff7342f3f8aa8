#!/usr/bin/env bash
# Sets up the machine and runs every check: formatting, the release build's
# tests (warnings are errors), the consumer example against the installed
# package, the tests again under AddressSanitizer + UndefinedBehaviorSanitizer,
# each libFuzzer target for a few seconds with a fixed seed, and the line and
# branch coverage of the library's sources (failing below 95% of the lines).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

step() { printf '\n==> %s\n' "$*"; }

step "Machine set-up"
scripts/setup.sh

step "Formatting (clang-format) and layering (no upward includes)"
scripts/check-format.sh
scripts/check-layers.sh

step "Release build and tests"
cmake --preset release
cmake --build --preset release
ctest --preset release

step "Install and build the consumer example against the installed package"
rm -rf build/install build/example
cmake --install build/release
cmake -S examples -B build/example -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$PWD/build/install"
cmake --build build/example
build/example/kv3d_example
PKG_CONFIG_PATH="$PWD/build/install/lib/pkgconfig" pkg-config --exists --print-errors kv3d
scripts/check-installed-headers.sh "$PWD/build/install"

step "AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

step "libFuzzer targets (5 s each, fixed seed)"
scripts/run-fuzzers.sh 5

step "Line and branch coverage of src/ and siblings/ (line coverage at least 95%)"
scripts/coverage.sh --check

echo
echo "All checks passed in $(( $(date +%s) - start )) s."
