#!/usr/bin/env bash
# Mutation testing, for developers (not part of scripts/test.sh): applies each one-line
# fault of a list to a scratch copy of the tree, rebuilds the native tests, runs them
# (the unit tests, then, if they pass, a fifth of the soak) and prints whether the suite
# caught the fault and which tests did.
#
#   scripts/mutate.sh                    # every fault of scripts/mutations.txt
#   scripts/mutate.sh LIST [PATTERN]     # another list; only faults whose title matches
#   ACTORBARS_MUTATION_DIR=DIR scripts/mutate.sh   # scratch copy in DIR, not build/mutation
#
# A fault in the list is four lines: "## title", the file, "- text" and "+ text". The
# first line of the file holding "text" (exactly, as a substring) gets it replaced; "file:N"
# picks the N-th such line. A fault whose text is not found, or that does not compile, is
# reported as invalid and left out of the count. A few seconds a fault: 116 took 4 min 46 s
# on a 2-core machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
list="$(realpath "${1:-$root/scripts/mutations.txt}")"
pattern="${2:-}"
scratch="${ACTORBARS_MUTATION_DIR:-$root/build/mutation}"

echo "mutate: copying the tree to $scratch/src"
rm -rf "$scratch/src"
mkdir -p "$scratch/src"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -e "$f" ]] && printf '%s\0' "$f"; done |
    tar --null -T - -cf -) | tar -xf - -C "$scratch/src"
cd "$scratch/src"

build() { cmake --build --preset native >"$scratch/build.log" 2>&1; }
# Caught when any test fails; `catchers` names the unit tests that failed, or the soak. The
# soak runs only when every unit test passed, and for a fifth of its frames: the faults it
# alone catches show within the first few thousand.
catchers=""
suite_passes() {
    local unit=build/native/tests/unit/unit_tests
    if ! timeout 300 "$unit" --gtest_brief=1 >"$scratch/test.log" 2>&1; then
        catchers="$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_]*\).*/\1/p' "$scratch/test.log" |
            sort -u | tr '\n' ' ')"
        catchers="${catchers:-(a sanitizer or a crash)}"
        return 1
    fi
    catchers="soak"
    timeout 600 build/native/tests/soak/soak_test 200000 >>"$scratch/test.log" 2>&1
}

cmake --preset native >/dev/null
build || { echo "mutate: the unmutated tree does not build" >&2; exit 1; }
suite_passes || { echo "mutate: the unmutated suite fails" >&2; exit 1; }

# Replaces the first (or N-th) line of $file that holds $from.
mutate() {
    local file="$1" nth="$2" from="$3" to="$4" n=0 done=0 line
    local out
    out="$(mktemp)"
    while IFS= read -r line || [[ -n "$line" ]]; do
        if ((!done)) && [[ "$line" == *"$from"* ]] && ((++n == nth)); then
            line="${line/"$from"/"$to"}"
            done=1
        fi
        printf '%s\n' "$line"
    done <"$file" >"$out"
    ((done)) && cat "$out" >"$file"
    rm -f "$out"
    ((done))
}

caught=0 missed=0 invalid=0
missedTitles=()
run_fault() {
    local title="$1" target="$2" from="$3" to="$4" file nth=1 verdict
    [[ -z "$pattern" || "$title" == *$pattern* ]] || return 0
    file="${target%%:*}"
    [[ "$target" == *:* ]] && nth="${target##*:}"
    cp "$file" "$scratch/original"
    if ! mutate "$file" "$nth" "$from" "$to"; then
        verdict="invalid (text not found)"
        ((++invalid))
    elif ! build; then
        verdict="invalid (does not compile)"
        ((++invalid))
    elif suite_passes; then
        verdict="MISSED"
        ((++missed))
        missedTitles+=("$title")
    else
        verdict="caught"
        ((++caught))
    fi
    cp "$scratch/original" "$file"
    touch "$file"
    printf '%-28s %s' "$verdict" "$title"
    [[ "$verdict" != caught ]] || printf '  [%s]' "${catchers% }"
    printf '\n'
}

# The list is read whole first: a build or a test that reads its standard input, or an
# inherited descriptor, must not eat it.
mapfile -t lines <"$list"
title="" target="" from="" to=""
for line in "${lines[@]}"; do
    case "$line" in
    "## "*) title="${line#\#\# }" target="" from="" to="" ;;
    "- "*) from="${line#- }" ;;
    "+ "* | "+") to="${line#+}" to="${to# }"
        run_fault "$title" "$target" "$from" "$to" ;;
    "" | "#"*) ;;
    *) target="$line" ;;
    esac
done </dev/null
build || true

total=$((caught + missed))
echo "mutate: caught $caught of $total ($((total ? 100 * caught / total : 0)) %), $invalid invalid"
for t in "${missedTitles[@]+"${missedTitles[@]}"}"; do
    echo "  missed: $t"
done
