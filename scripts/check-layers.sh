#!/usr/bin/env bash
# Fails when a file includes a header of a higher layer, naming the file and
# line. Layers, lowest first:
#   siblings < foundation < vector < transform < bounds < primitives < fitting < tool
# A file of src/LAYER/ is of that layer; siblings/ and tools/ are the lowest
# and the highest. A public header takes the layer of the source file of the
# same name under src/, or the layer the table below gives it. The umbrella
# header kv3d.h includes everything and may be included by the tool alone.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(siblings foundation vector transform bounds primitives fitting tool)

# Public headers without a source file of their own name.
declare -A header_layer=(
  [kv3d_export.h]=foundation
  [Kv3dTypes.h]=foundation
  [Kv3dTolerance.h]=foundation
  [Kv3dFitting.h]=fitting
  [Kv3dDistance.h]=fitting
  [Kv3dSegmentPoint.h]=bounds
  [kv3d.h]=tool
)

rank() {
  local i
  for i in "${!layers[@]}"; do
    if [ "${layers[$i]}" = "$1" ]; then
      echo "$i"
      return
    fi
  done
  echo "unknown layer: $1" >&2
  exit 2
}

# The layer of a public header given by its path below include/kv3d/.
layer_of_header() {
  local base=${1##*/}
  if [ -n "${header_layer[$base]+set}" ]; then
    echo "${header_layer[$base]}"
    return
  fi
  local source
  source=$(find src -name "${base%.h}.cpp" | head -n 1)
  if [ -z "$source" ]; then
    echo "?"
    return
  fi
  source=${source#src/}
  echo "${source%%/*}"
}

layer_of_file() {
  case "$1" in
    siblings/*) echo siblings ;;
    tools/*) echo tool ;;
    src/*) local rest=${1#src/}; echo "${rest%%/*}" ;;
    include/kv3d/*) layer_of_header "${1#include/kv3d/}" ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(layer_of_file "$file")
  if [ "$own" = "?" ]; then
    echo "$file: no layer known for this header; add it to the table in $0" >&2
    status=1
    continue
  fi
  own_rank=$(rank "$own")
  while IFS=: read -r line text; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]kv3d\/([^>"]+)[>"].*/\1/' <<<"$text")
    included=$(layer_of_header "$header")
    if [ "$included" = "?" ]; then
      echo "$file:$line: includes kv3d/$header, whose layer is unknown; add it to the table in $0" >&2
      status=1
    elif [ "$(rank "$included")" -gt "$own_rank" ]; then
      echo "$file:$line: $own file includes kv3d/$header of the higher layer $included" >&2
      status=1
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]kv3d/' "$file" || true)
done < <(git ls-files -- src include siblings tools 2>/dev/null | grep -E '\.(h|cpp)$' ||
         find src include siblings tools \( -name '*.h' -o -name '*.cpp' \))
exit "$status"
