#!/usr/bin/env bash
# Builds the library and its tests with coverage counters (gcc), runs the
# tests and prints the line and branch coverage of src/ and siblings/.
# With --check, fails when line coverage is below the floor (95%).
set -euo pipefail
cd "$(dirname "$0")/.."
floor=95

find build/coverage -name '*.gcda' -delete 2>/dev/null || true
cmake --preset coverage
cmake --build --preset coverage
ctest --preset coverage -j2 >/dev/null
gcovr --root . --object-directory build/coverage --filter 'src/' --filter 'siblings/' \
  --exclude-unreachable-branches --exclude-throw-branches \
  --print-summary --txt build/coverage/coverage.txt --json-summary build/coverage/summary.json
if [ "${1:-}" = "--check" ]; then
  percent=$(sed -n 's/.*"line_percent": *\([0-9.]*\).*/\1/p' build/coverage/summary.json | head -n 1)
  if awk -v p="$percent" -v f="$floor" 'BEGIN { exit !(p < f) }'; then
    echo "line coverage $percent% is below $floor%" >&2
    exit 1
  fi
fi
