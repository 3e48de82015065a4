#!/usr/bin/env bash
# Non-blank lines of C++ (.cpp, .h) that git tracks or would track, by part: the module,
# the stand-in host, the benchmark and the native build's stand-ins are code; the tests, the
# fuzz target and the stand-in host's checks are tests. native/ is code: it tests nothing,
# and the benchmark, which is code, cannot build without its Direct3D 9 declarations, its
# D3DX functions and its address space of the game.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() {
    git ls-files -z --cached --others --exclude-standard -- "$@" |
        while IFS= read -r -d '' f; do
            [[ -e "$f" && ( "$f" == *.cpp || "$f" == *.h ) ]] && printf '%s\0' "$f"
        done | xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}

module=$(lines module bars overlay host d3d)
standin=$(lines standin ':!standin/checks')
bench=$(lines bench)
native=$(lines native)
unit=$(lines tests/unit)
support=$(lines tests/support)
soak=$(lines tests/soak)
fuzz=$(lines fuzz)
checks=$(lines standin/checks)
code=$((module + standin + bench + native))
tests=$((unit + support + soak + fuzz + checks))

printf '| part | lines |\n|---|---:|\n'
printf '| the module (module/, bars/, overlay/, host/, d3d/) | %d |\n' "$module"
printf '| stand-in host: host, demo, command line | %d |\n' "$standin"
printf '| bench/ | %d |\n' "$bench"
printf '| native stand-ins (native/) | %d |\n' "$native"
printf '| **code** | **%d** |\n' "$code"
printf '| tests/unit | %d |\n| tests/support | %d |\n| tests/soak | %d |\n' "$unit" "$support" "$soak"
printf '| fuzz/ | %d |\n| standin/checks | %d |\n' "$fuzz" "$checks"
printf '| **tests** | **%d** |\n' "$tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests / code = %.2f\n", c ? t / c : 0 }'
