#!/usr/bin/env bash
# Instructions per measured frame of each benchmark named, counted by callgrind: every
# measured frame goes through one call of MeasuredFrame, which warm-up frames do not use.
# Usage: bench/count-instructions.sh [frame_bench] [benchmark ...]   (MIN_TIME: seconds of
# benchmark time each, 0.01 by default; more frames average a churning frame better)
#   bench/count-instructions.sh build/bench/bench/frame_bench WholeFrameSteady/1000
set -euo pipefail

bench=${1:-build/bench/bench/frame_bench}
shift || true
[ $# -gt 0 ] || set -- WholeFrameSteady/0 WholeFrameSteady/10 WholeFrameSteady/100 \
    WholeFrameSteady/1000 WholeFrameSteady/10000 WholeFrameChurn/1000 PipelineSteady/1000 \
    PipelineSteady/10000

out=$(mktemp)
trap 'rm -f "$out"' EXIT
for name in "$@"; do
    valgrind --tool=callgrind --toggle-collect='*MeasuredFrame*' --callgrind-out-file="$out" \
        "$bench" --benchmark_filter="^$name\$" --benchmark_min_time="${MIN_TIME:-0.01}" >/dev/null 2>&1
    total=$(callgrind_annotate "$out" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
    frames=$(callgrind_annotate --inclusive=yes --tree=calling "$out" |
        sed -nE 's/.*> .*MeasuredFrame.*\(([0-9,]+)x\).*/\1/p' | head -1 | tr -d ,)
    echo "$name $((total / frames)) instructions/frame ($frames frames)"
done
