#!/usr/bin/env bash
# Every test, from a fresh Debian 12 machine: installs what is missing, then runs the native
# unit tests under ASan/UBSan, and builds the 32-bit DLL and checks its tables.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native
scripts/fuzz.sh 60

cmake --preset win32
cmake --build --preset win32
ctest --preset win32
