#!/usr/bin/env bash
# Fails when a C++ file of the project differs from its clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z -- '*.h' '*.cpp' | xargs -0 -r clang-format --dry-run --Werror
else
  find include src siblings tools tests bench fuzz examples \( -name '*.h' -o -name '*.cpp' \) -print0 |
    xargs -0 -r clang-format --dry-run --Werror
fi
