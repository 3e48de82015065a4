#!/usr/bin/env bash
# Builds the frame fuzzer (clang, libFuzzer, ASan + UBSan) and runs it on a copy of the
# seed corpus, so that new inputs never land in the repository.
# Usage: scripts/fuzz.sh [seconds]   (default 60; any finding fails the script)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}

# clang only recommends its runtime (libFuzzer, ASan), and setup installs no recommends.
if [ ! -e "$(clang -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null || true)" ] &&
    [ -z "$(find /usr/lib/llvm-*/lib/clang -name 'libclang_rt.fuzzer-x86_64.a' 2>/dev/null)" ]; then
    echo "fuzz: libFuzzer is missing: apt-get install libclang-rt-14-dev" >&2
    exit 1
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target frame_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r fuzz/corpus "$work/corpus"

# A crashing input is left in the build tree, where CI can pick it up.
mkdir -p build/fuzz/findings
build/fuzz/fuzz/frame_fuzzer "$work/corpus" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/findings/
