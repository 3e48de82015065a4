#!/usr/bin/env bash
# Every test, from a fresh Debian 12 machine: installs what is missing, checks formatting
# and that includes follow the layers, runs the native unit and soak tests under
# ASan/UBSan, fuzzes the frame driver for a minute, smoke-runs the benchmark, builds the
# 32-bit DLL, checks its tables and runs the stand-in host's end-to-end checks under Wine,
# the scene's on Wine's own Direct3D 9 and on DXVK's.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
scripts/check-layers.sh

cmake --preset native
cmake --build --preset native
ctest --preset native
scripts/fuzz.sh 60

# The benchmark's smoke run fails if any measured frame allocates, steady or churning.
cmake --preset bench
cmake --build --preset bench
ctest --test-dir build/bench/bench --output-on-failure

# DXVK's Direct3D 9, built once and cached, for the scene checks' second run.
dxvk="$(scripts/build-dxvk.sh)"
cmake --preset win32 -DACTORBARS_DXVK_D3D9="$dxvk"
cmake --build --preset win32
# One Xvfb, one Wine prefix and one wineserver for every test of the stand-in host.
scripts/with-wine.sh ctest --preset win32
