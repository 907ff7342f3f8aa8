#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each (every fuzz/kv3d_fuzz_NAME.cpp)
# for a few seconds with a fixed seed, starting from its committed seed
# corpus fuzz/corpus/NAME when there is one (copied, so that the runs never
# write into the source tree).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"

cmake --preset fuzz
cmake --build --preset fuzz
for source in fuzz/kv3d_fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  name=${name#kv3d_fuzz_}
  corpus="build/fuzz/corpus-$name"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$name" ]; then
    cp fuzz/corpus/"$name"/* "$corpus"/
  fi
  echo "fuzzing $name for $seconds s"
  "build/fuzz/fuzz/kv3d_fuzz_$name" -seed=1 -max_total_time="$seconds" -rss_limit_mb=2048 \
    -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
  test "${PIPESTATUS[0]}" -eq 0
done
