#!/usr/bin/env bash
# Installs what is missing, builds the module and the stand-in host, plays the default
# scenario under Wine + Xvfb, writes the pictures to out/demo/ and prints the module's cost
# per frame.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32

out=out/demo
mkdir -p "$out"
# One Wine session for both runs.
scripts/with-wine.sh bash -c '
    set -e
    scripts/with-wine.sh build/win32/standin/standin.exe demo --module dist/actorbars.dll \
        --out "$1" "${@:2}"
    scripts/with-wine.sh build/win32/standin/standin.exe timing --module dist/actorbars.dll
' demo "$out" "$@"

echo "pictures: $(pwd)/$out (bar-life.png is the contact sheet, bar-life.txt its legend)"
