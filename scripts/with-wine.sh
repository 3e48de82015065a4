#!/usr/bin/env bash
# Runs a command where 32-bit Windows programs work: under Xvfb, with a 32-bit Wine prefix
# in the build tree and one wineserver kept alive for every program the command starts.
#   scripts/with-wine.sh ctest --preset win32
#   scripts/with-wine.sh build/win32/standin/standin.exe hook-below --module dist/actorbars.dll
# A command ending in .exe runs under wine. Nested calls reuse the outer environment.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

run() {
    if [[ "$1" == *.exe ]]; then
        if [[ -n "${ACTORBARS_WINE_SKIP:-}" ]]; then
            echo "skip: $ACTORBARS_WINE_SKIP" >&2
            exit 77 # ctest's skip code for the stand-in host's tests
        fi
        exec wine "$@"
    fi
    exec "$@"
}

if [[ "${ACTORBARS_WINE_READY:-}" == 1 ]]; then
    run "$@"
fi

# Where 32-bit programs run only under qemu's user-mode emulator, making a prefix takes
# about a quarter of an hour and every program start a minute or more: the Windows
# programs are skipped unless asked for.
qemu_binfmt=/proc/sys/fs/binfmt_misc/qemu-i386
if [[ "${ACTORBARS_WINE_UNDER_QEMU:-0}" != 1 ]] && [[ -r $qemu_binfmt ]] &&
    grep -qx enabled "$qemu_binfmt"; then
    export ACTORBARS_WINE_READY=1
    export ACTORBARS_WINE_SKIP="32-bit programs run under qemu here (too slow for the suite); set ACTORBARS_WINE_UNDER_QEMU=1 to run them anyway"
    run "$@"
fi

# Direct3D needs the 32-bit libGL (libgl1:i386 and libglx-mesa0:i386, from scripts/setup.sh).
# Under qemu, Wine's desktop process crashed without it, so no window could be made either.
if [[ ! -e /usr/lib/i386-linux-gnu/libGL.so.1 ]]; then
    echo "with-wine: no 32-bit libGL: no window or Direct3D device (run scripts/setup.sh)" >&2
fi

# Xvfb must be up before the first wineserver: a server started without a display leaves
# every later program without Direct3D.
if [[ -z "${ACTORBARS_WINE_XVFB:-}" ]]; then
    export ACTORBARS_WINE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

export WINEPREFIX="${ACTORBARS_WINEPREFIX:-$root/build/win32/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# Skip the .NET and HTML runtime installers that a fresh prefix would offer, and the menu
# builder: under emulation every program started costs about a minute.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

mkdir -p "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# The prefix is made once and kept in the build tree; it counts as made only after its
# server has exited and written the registry. It is made without the display: under qemu
# the desktop process of a prefix being made with X11 spins and the set-up never ends. The
# server it used is gone before the one below starts with the display.
if [[ ! -e "$WINEPREFIX/.booted" ]]; then
    start=$(date +%s)
    echo "with-wine: creating the prefix $WINEPREFIX (slow under emulation)" >&2
    env -u DISPLAY wineboot -u
    env -u DISPLAY wineserver -w
    touch "$WINEPREFIX/.booted"
    echo "with-wine: prefix ready in $(($(date +%s) - start)) s" >&2
fi
wineserver -p

export ACTORBARS_WINE_READY=1
status=0
if [[ "$1" == *.exe ]]; then
    wine "$@" || status=$?
else
    "$@" || status=$?
fi
exit "$status"
