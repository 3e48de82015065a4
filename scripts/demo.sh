#!/usr/bin/env bash
# Installs what is missing, builds the module and the stand-in host, plays the scenarios
# of standin/demo/scenarios/ under Wine + Xvfb (one bar's life, a fight), each in a stand-in
# host of its own, writes the pictures to out/demo/, makes the fight's film into an animated
# GIF and prints the module's cost per frame. With --dxvk first, all of it on DXVK's
# Direct3D 9 instead of Wine's own, into out/demo-dxvk/, and, after those scenarios, where
# out/demo/game.png is left from a run without --dxvk, it counts the pixels in which its
# game.png differs from Wine's. Any further arguments, after --dxvk too, go to one run of
# the stand-in host's demo mode in place of those scenarios, with no count:
# `scripts/demo.sh --scenario FILE` plays a scenario of your own (standin/demo/scenario.h
# lists its lines). Each run empties its folder under out/ first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
standin=build/win32/standin/standin.exe
out=out/demo
if [[ "${1:-}" == --dxvk ]]; then
    shift
    dxvk="$(scripts/build-dxvk.sh)"
    cmake --preset win32 -DACTORBARS_DXVK_D3D9="$dxvk" >/dev/null
    # The copy of the stand-in host beside DXVK's d3d9.dll, which Wine loads instead of
    # its own, as in the tests.
    standin=build/win32/tests/e2e/dxvk/standin.exe
    out=out/demo-dxvk
else
    cmake --preset win32 >/dev/null
fi
cmake --build --preset win32

# A clean folder: a shorter film must not leave frames of an older one behind.
rm -rf "$out"
mkdir -p "$out"
# One Wine session for every run; each scenario in a stand-in host of its own, which starts
# from a host and a module as at load. The cost is timed with no device: with the real one,
# under emulation, a frame takes seconds and says nothing about a GPU (the `timing` mode
# times both).
scripts/with-wine.sh bash -c '
    set -e
    standin="$1" out="$2"
    shift 2
    if (($#)); then
        scripts/with-wine.sh "$standin" demo --module dist/actorbars.dll --out "$out" "$@"
    else
        for scenario in standin/demo/scenarios/*.txt; do
            scripts/with-wine.sh "$standin" demo --module dist/actorbars.dll --out "$out" \
                --scenario "$scenario"
        done
    fi
    scripts/with-wine.sh "$standin" timing-null --module dist/actorbars.dll
' demo "$standin" "$out" "$@"

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

# The contact sheet: each tile that the stand-in host lists cut from its picture (where the
# region runs off the frame, the frame's edge repeats), scaled to 240x80 by nearest
# neighbour and labelled with its name, four to a row. The font is fonts-dejavu-core's,
# which scripts/setup.sh installs.
if [[ -e "$out/bar-life-tiles.txt" ]]; then
    tiles=()
    while read -r picture name crop; do
        tiles+=('(' "$out/$picture" -define "distort:viewport=$crop" -distort SRT 0 +repage
            -sample '240x80!' -set label "$name" ')')
    done <"$out/bar-life-tiles.txt"
    "$convert" -virtual-pixel edge -filter point "${tiles[@]}" miff:- |
        /usr/bin/montage - -tile 4x -geometry +3+3 -background '#202020' -fill '#e0e0e0' \
            -font DejaVu-Sans -pointsize 13 -depth 8 "$out/bar-life.png"
fi

if [[ "$out" == out/demo-dxvk && $# == 0 && -e out/demo/game.png && -e "$out/game.png" ]]; then
    # compare prints the count on standard error and exits 1 when the pictures differ.
    differ="$(/usr/bin/compare -metric AE out/demo/game.png "$out/game.png" \
        "$out/game-differs.png" 2>&1 || true)"
    echo "game.png: $differ pixels differ from Wine's own Direct3D 9 (red in $out/game-differs.png)"
fi
echo "pictures: $(pwd)/$out (game.png a still, fight.gif the fight, bar-life.png the contact"
echo "sheet of one bar's life)"
