#!/usr/bin/env bash
# Times benchmarks of two or more builds of frame_bench in one run, alternating: each round
# runs every build once, so that whatever else the machine does falls on all of them alike.
# Prints, per benchmark, each build's median over the rounds, its fastest and slowest, and
# the last build's change against the first.
# Usage: bench/compare.sh ROUNDS FILTER NAME=FRAME_BENCH...
#   bench/compare.sh 15 'WholeFrame(Steady|Churn)/1000$' before=/tmp/frame_bench new=build/bench/bench/frame_bench
set -euo pipefail
rounds=$1 filter=$2
shift 2
(($# >= 2)) || { echo "usage: $0 ROUNDS FILTER NAME=FRAME_BENCH NAME=FRAME_BENCH..." >&2; exit 2; }
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 0; round < rounds; ++round)); do
    for build in "$@"; do
        "${build#*=}" --benchmark_filter="$filter" --benchmark_min_time="${MIN_TIME:-0.2}" \
            --benchmark_format=csv 2>/dev/null |
            awk -F, -v build="${build%%=*}" '$1 ~ /^"/ && $5 == "ns" {
                gsub(/"|\/iterations:[0-9]+/, "", $1); print $1, build, $3 / 1000 }' >>"$results"
    done
done
builds="${*%%=*}"
awk -v builds="$builds" '
    { times[$1 SUBSEP $2] = times[$1 SUBSEP $2] " " $3; if (!($1 in seen)) { seen[$1]; order[++n] = $1 } }
    function median(list,   v, k, i, j, t) {
        k = split(list, v, " ")
        for (i = 2; i <= k; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        lo = v[1]; hi = v[k]
        return k % 2 ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2
    }
    END {
        m = split(builds, b, " ")
        printf "| benchmark |"; for (i = 1; i <= m; i++) printf " %s, median (fastest-slowest) µs |", b[i]; print " change |"
        printf "|---|"; for (i = 1; i <= m; i++) printf "---:|"; print "---:|"
        for (r = 1; r <= n; r++) {
            printf "| %s |", order[r]
            for (i = 1; i <= m; i++) { med[i] = median(times[order[r] SUBSEP b[i]]); printf " %.1f (%.1f-%.1f) |", med[i], lo, hi }
            printf " %+.0f %% |\n", 100 * (med[m] / med[1] - 1)
        }
    }' "$results"
