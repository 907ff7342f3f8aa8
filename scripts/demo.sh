#!/usr/bin/env bash
# Sets up the machine, builds the release configuration and runs `kv3d demo`.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release
cmake --build --preset release
build/release/tools/kv3d/kv3d demo
