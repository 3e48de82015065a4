#!/usr/bin/env bash
# Installs what is missing, builds the module and the stand-in host, plays the built-in
# scenarios under Wine + Xvfb (one bar's life, then a fight), writes the pictures to
# out/demo/, makes the fight's film into an animated GIF and prints the module's cost per
# frame.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32

out=out/demo
# A clean folder: a shorter film must not leave frames of an older one behind.
rm -rf "$out"
mkdir -p "$out"
# One Wine session for both runs. The cost is timed with no device: with the real one,
# under emulation, a frame takes seconds and says nothing about a GPU (the `timing` mode
# times both).
scripts/with-wine.sh bash -c '
    set -e
    scripts/with-wine.sh build/win32/standin/standin.exe demo --module dist/actorbars.dll \
        --out "$1" "${@:2}"
    scripts/with-wine.sh build/win32/standin/standin.exe timing-null --module dist/actorbars.dll
' demo "$out" "$@"

# Debian's ImageMagick, named by its path: another convert earlier on PATH is not the one
# scripts/setup.sh installs. The still and the film keep the band of the frame where the
# actors stand, without most of the sky; the film is every second frame at 30 a second.
convert=/usr/bin/convert
action=800x280+0+200
if [[ -e "$out/game.png" ]]; then
    "$convert" "$out/game.png" -crop "$action" +repage "$out/game.png"
fi
if compgen -G "$out/fight/*.png" >/dev/null; then
    "$convert" -delay 1x15 -loop 0 "$out"/fight/*.png -crop "$action" +repage +dither \
        -layers Optimize "$out/fight.gif"
fi

echo "pictures: $(pwd)/$out (game.png a still, fight.gif the fight, bar-life.png the contact"
echo "sheet of one bar's life, bar-life.txt its legend)"
