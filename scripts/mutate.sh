#!/usr/bin/env bash
# Mutation testing: applies one small fault at a time to a library source,
# rebuilds only the test executable of the folder that should notice it, runs
# it, and restores the source (always, also on interrupt). Prints killed or
# survived per mutant and the kill rate.
#
#   scripts/mutate.sh [MUTANTS_FILE] [NUMBER...]
#
# MUTANTS_FILE (default scripts/mutants.txt) lists one mutant per line:
#   folder @@ file @@ text @@ replacement [@@ equivalent: reason]
# `text` must occur on exactly one line of `file`; its first occurrence there
# becomes `replacement`. A mutant marked equivalent changes no behaviour (the
# reason says why): it is run and reported, but left out of the rate. NUMBERs
# (1-based, counting mutant lines) run only those mutants. The build lives in
# build/mutate (release, tests of the listed folders only); runs are niced.
set -euo pipefail
cd "$(dirname "$0")/.."
list=${1:-scripts/mutants.txt}
shift || true
only=" $* "
build=build/mutate

backup=""
target=""
restore() {
    if [ -n "$target" ]; then
        cat "$backup" >"$target"  # a fresh mtime, so the next build recompiles it
        rm -f "$backup"
        target=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

trim() { sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' <<<"$1"; }

mapfile -t lines < <(grep -v -E '^[[:space:]]*(#|$)' "$list")
chosen() { [ "$only" = "  " ] || [[ "$only" == *" $1 "* ]]; }
# Only the folders of the chosen mutants are built and checked.
folders=$(n=0; for l in "${lines[@]}"; do
    n=$((n + 1)); if chosen "$n"; then trim "${l%%@@*}"; fi
done | sort -u | tr '\n' ';')
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV3D_BUILD_TOOL=OFF \
    -DKV3D_BUILD_BENCH=OFF -DKV3D_TEST_FOLDERS="${folders%;}" >/dev/null

run_folder() {  # builds and runs one folder's tests; fails when a test fails
    nice -n 10 cmake --build "$build" --target "kv3d_tests_$1" >/dev/null 2>&1 || return 2
    timeout 600 nice -n 10 "$build/tests/kv3d_tests_$1" --gtest_brief=1 >/dev/null 2>&1
}

for f in ${folders//;/ }; do
    run_folder "$f" || { echo "the unmutated tests of $f fail: fix them first" >&2; exit 1; }
done

killed=0 survived=0 equivalent=0 invalid=0 n=0
for l in "${lines[@]}"; do
    n=$((n + 1))
    if ! chosen "$n"; then continue; fi
    IFS=$'\x01' read -r folder file text replacement note <<<"${l//@@/$'\x01'}"
    folder=$(trim "$folder") file=$(trim "$file") text=$(trim "$text")
    replacement=$(trim "$replacement") note=$(trim "${note:-}")
    count=$(grep -c -F -- "$text" "$file" || true)
    if [ "$count" != 1 ]; then
        echo "#$n $file: '$text' is on $count lines, need 1" >&2
        invalid=$((invalid + 1))
        continue
    fi
    backup=$(mktemp)
    cat "$file" >"$backup"
    target=$file
    perl -i -pe 'BEGIN { $t = shift; $r = shift } s/\Q$t\E/$r/ if !$done && /\Q$t\E/ && ($done = 1)' \
        "$text" "$replacement" "$file"
    set +e
    run_folder "$folder"
    status=$?
    set -e
    restore
    if [ "$status" = 2 ]; then
        verdict="does not compile"
        invalid=$((invalid + 1))
    elif [ "$status" != 0 ]; then
        verdict=killed
        killed=$((killed + 1))
    elif [ -n "$note" ]; then
        verdict="survived ($note)"
        equivalent=$((equivalent + 1))
    else
        verdict=SURVIVED
        survived=$((survived + 1))
    fi
    printf '#%-3d %-9s %s: %s -> %s: %s\n' "$n" "$folder" "${file##*/}" "$text" "$replacement" \
        "$verdict"
done

# Rebuild with the sources as they are, so that build/mutate holds no mutant.
for f in ${folders//;/ }; do nice -n 10 cmake --build "$build" --target "kv3d_tests_$f" >/dev/null; done
counted=$((killed + survived))
echo
echo "mutants: $n listed, $counted counted, $killed killed, $survived survived," \
    "$equivalent equivalent, $invalid invalid"
if [ "$counted" -gt 0 ]; then
    awk -v k="$killed" -v c="$counted" 'BEGIN { printf "kill rate: %.1f%%\n", 100 * k / c }'
fi
[ "$invalid" = 0 ]
