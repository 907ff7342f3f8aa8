#!/usr/bin/env bash
# Installs the benchmark-only peers (CGAL), builds the benchmark preset and
# runs every benchmark, or only those named on the command line
# (scripts/bench.sh kv3d_bench_transform).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --bench
cmake --preset bench
cmake --build --preset bench
if [ "$#" -eq 0 ]; then
  set -- $(cd build/bench/bench && ls kv3d_bench_*)
fi
for name in "$@"; do
  echo "==> $name"
  "build/bench/bench/$name"
done
