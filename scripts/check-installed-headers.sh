#!/usr/bin/env bash
# Checks the headers of an installed package (argument: the install prefix):
# each compiles on its own with the package's pkg-config flags, and every
# internal header under detail/ that was installed is included by a public one.
set -euo pipefail
prefix="$1"
include="$prefix/include"
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags kv3d)
case " $flags " in
  *" -ffp-contract=off "*) ;;
  *) echo "pkg-config kv3d --cflags lacks -ffp-contract=off: $flags" >&2; exit 1 ;;
esac

status=0
while IFS= read -r header; do
  name=${header#"$include"/}
  if ! echo "#include <$name>" | c++ -std=c++17 $flags -fsyntax-only -x c++ - 2>/dev/null; then
    echo "installed header does not compile on its own: $name" >&2
    status=1
  fi
done < <(find "$include" -name '*.h' | sort)

while IFS= read -r header; do
  name=${header#"$include"/}
  if ! grep -rqs --include='*.h' --exclude-dir=detail "#include <$name>" "$include"; then
    echo "internal header installed but no public header includes it: $name" >&2
    status=1
  fi
done < <(find "$include" -path '*/detail/*' -name '*.h' | sort)
exit "$status"
