#!/usr/bin/env bash
# Runs a command in one Wine session: under Xvfb, on a 32-bit prefix cached per user, with
# one wineserver whose boot is over before the command starts.
#   scripts/with-wine.sh ctest --preset win32
#   scripts/with-wine.sh build/win32/standin/standin.exe hook --module dist/actorbars.dll
# A command ending in .exe runs under wine. Nested calls reuse the outer session. Where
# 32-bit Windows programs cannot run, it fails and says what is missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

fail() {
    echo "with-wine: $*" >&2
    exit 1
}

# A program's output goes through a file that is streamed as it grows: the session's helper
# programs inherit the first program's standard streams and never exit, and a test runner
# would wait for them to close its pipe.
run_in_session() {
    if [[ "$1" != *.exe ]]; then
        exec "$@"
    fi
    local log pid follower status=0
    log="$(mktemp)"
    wine "$@" </dev/null >"$log" 2>&1 &
    pid=$!
    tail -n +1 -f --pid="$pid" "$log" &
    follower=$!
    trap 'kill "$pid" 2>/dev/null; wait "$follower"; rm -f "$log"; exit 124' TERM INT
    wait "$pid" || status=$?
    wait "$follower" || true
    rm -f "$log"
    exit "$status"
}

if [[ "${ACTORBARS_WINE_READY:-}" == 1 ]]; then
    run_in_session "$@"
fi

command -v wine >/dev/null && command -v xvfb-run >/dev/null ||
    fail "wine or xvfb-run is missing: run scripts/setup.sh (as root)"
/lib/ld-linux.so.2 --version >/dev/null 2>&1 ||
    fail "this machine cannot run 32-bit programs: run scripts/setup.sh (as root); where the kernel lacks 32-bit emulation it registers qemu-i386-static (package qemu-user-static)"
[[ -e /usr/lib/i386-linux-gnu/libGL.so.1 ]] ||
    fail "no 32-bit libGL, so no Direct3D 9 device: run scripts/setup.sh (packages libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)"

export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or HTML runtime installers in a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The prefix is made once per user, Wine version and recipe; a run that finds it made
# reuses it. It is made without the display: under qemu the desktop process of a prefix
# being made with X11 spins and the set-up never ends.
make_prefix() {
    local registry="$root/scripts/wine/prefix.reg"
    env -u DISPLAY wine regedit /S "Z:${registry//\//\\}"
    env -u DISPLAY wineserver -w
    grep -q '"winemenubuilder.exe"=""' "$WINEPREFIX/user.reg" ||
        fail "the prefix's registry recipe was not applied"
}

cache="${ACTORBARS_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/actorbars}"
recipe="$({
    wine --version
    declare -f make_prefix
    cat "$root/scripts/wine/prefix.reg"
} | sha256sum | cut -c1-16)"
prefix="$cache/wineprefix-$recipe"
mkdir -p "$cache"
exec 9>"$prefix.lock"
if [[ ! -e "$prefix/.made" ]]; then
    flock 9
    if [[ ! -e "$prefix/.made" ]]; then
        start=$(date +%s)
        echo "with-wine: making the Wine prefix $prefix (about 11 min under emulation)" >&2
        rm -rf "$prefix.new"
        WINEPREFIX="$prefix.new" make_prefix
        touch "$prefix.new/.made"
        mv "$prefix.new" "$prefix"
        echo "with-wine: prefix made in $(($(date +%s) - start)) s" >&2
    fi
fi
# Shared while in use: nobody remakes it under a running session.
flock -s 9
export WINEPREFIX="$prefix"

# Xvfb must be up before the wineserver: a server started without a display leaves every
# later program without Direct3D.
if [[ -z "${ACTORBARS_WINE_XVFB:-}" ]]; then
    export ACTORBARS_WINE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p
# The session boots with its first program (services, device drivers); booting it here,
# away from the command's pipes, keeps those helpers off them and the boot out of any
# test's time.
start=$(date +%s)
boot_log="$(mktemp)"
wine cmd.exe /c exit </dev/null >"$boot_log" 2>&1 || {
    cat "$boot_log" >&2
    fail "the Wine session did not start"
}
rm -f "$boot_log"
echo "with-wine: session up in $(($(date +%s) - start)) s" >&2

export ACTORBARS_WINE_READY=1
status=0
if [[ "$1" == *.exe ]]; then
    (run_in_session "$@") || status=$?
else
    "$@" || status=$?
fi
exit "$status"
