#!/usr/bin/env bash
# Runs a command in one Wine session: under Xvfb, on a 32-bit prefix cached per user, with
# one wineserver whose boot is over before the command starts.
#   scripts/with-wine.sh ctest --preset win32
#   scripts/with-wine.sh build/win32/standin/standin.exe hook --module dist/actorbars.dll
# A command ending in .exe runs under wine, which then takes a d3d9.dll beside it, as
# Windows would. Nested calls reuse the outer session. Where 32-bit Windows programs cannot
# run, it fails and says what is missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

fail() {
    echo "with-wine: $*" >&2
    exit 1
}

# A program's output goes through a file that is streamed as it grows: the session's helper
# programs inherit the first program's standard streams and never exit, and a test runner
# would wait for them to close its pipe. A program that prints nothing for
# ACTORBARS_WINE_IDLE_LIMIT seconds has hung: it is stopped and fails. By default that is
# two minutes, on every machine: the longest silence of a check seen under an emulator, on a
# machine loaded three times over its cores, was 26 s. The watch is kept out here, not in a
# thread of the program, so that a program that hangs in its own exit is stopped too.
run_in_session() {
    if [[ "$1" != *.exe ]]; then
        exec "$@"
    fi
    # A d3d9.dll beside the program comes first, as on Windows; Wine would take its own
    # (the copy of the stand-in host beside DXVK's d3d9.dll).
    if [[ -e "$(dirname "$1")/d3d9.dll" ]]; then
        export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}d3d9=n"
    fi
    local limit="${ACTORBARS_WINE_IDLE_LIMIT:-120}"
    local log pid follower size=-1 grown idle=0 hung=0 status=0
    log="$(mktemp)"
    wine "$@" </dev/null >"$log" 2>&1 &
    pid=$!
    tail -n +1 -f --pid="$pid" "$log" &
    follower=$!
    trap 'kill -KILL "$pid" 2>/dev/null; wait "$follower"; rm -f "$log"; exit 124' TERM INT
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        grown="$(stat -c %s "$log")"
        if [[ "$grown" != "$size" ]]; then
            size="$grown"
            idle=0
        elif ((++idle >= limit)); then
            echo "FAIL no output for $idle s: $1 has hung and is stopped" >>"$log"
            kill -KILL "$pid" 2>/dev/null || true
            hung=1
        fi
    done
    wait "$pid" || status=$?
    wait "$follower" || true
    rm -f "$log"
    ((hung == 0)) || status=124
    exit "$status"
}

if [[ "${ACTORBARS_WINE_READY:-}" == 1 ]]; then
    run_in_session "$@"
fi

command -v wine >/dev/null && command -v xvfb-run >/dev/null ||
    fail "wine or xvfb-run is missing: run scripts/setup.sh (as root)"
/lib/ld-linux.so.2 --version >/dev/null 2>&1 ||
    fail "this machine cannot run 32-bit programs: run scripts/setup.sh (as root); where the kernel cannot run them it registers an emulator that does"
[[ -e /usr/lib/i386-linux-gnu/libGL.so.1 ]] ||
    fail "no 32-bit libGL, so no Direct3D 9 device: run scripts/setup.sh (packages libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)"

export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# Mesa's software rasterisers, llvmpipe behind Wine's Direct3D 9 and lavapipe behind DXVK,
# compile their shaders for the CPU they find. Held to SSE4.1, they run the same code on
# every machine, and spare an emulator the AVX and FMA instructions it runs lane by lane in
# helpers: under qemu 10 the scene checks took 82 s instead of 165 s, and 97 s instead of
# 300 s on DXVK.
export GALLIUM_OVERRIDE_CPU_CAPS="${GALLIUM_OVERRIDE_CPU_CAPS:-sse4.1}"
# Of all the Vulkan drivers the machine may have, lavapipe, for a program run on DXVK: the
# same pixels on every machine, GPU or not.
export VK_ICD_FILENAMES=/usr/share/vulkan/icd.d/lvp_icd.i686.json
# No .NET or HTML runtime installers in a new prefix. A caller's own overrides come after.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

# What the checks need from a session, and no more: every program a session starts costs
# its boot time, several times more under an emulator. Plug and play, the event log (the
# network-restricted service host) and the network drivers serve no check; MountMgr maps
# the drives and stays. The menu builder is off too: WINEDLLOVERRIDES does not stop the copy
# that a session starts.
unused_services=(PlugPlay Eventlog NDIS nsiproxy)

# The registry is edited as text while no server runs: running regedit would boot a
# second session.
disable_unused_services() {
    awk -v names="${unused_services[*]}" '
        BEGIN {
            n = split(names, name, " ")
            for (i = 1; i <= n; i++) {
                wanted["[System\\\\CurrentControlSet\\\\Services\\\\" name[i] "]"] = 1
            }
        }
        /^\[/ { split($0, header, " "); inside = header[1] in wanted }
        inside && /^"Start"=dword:/ { $0 = "\"Start\"=dword:00000004"; ++done }
        { print }
        END { exit done == n ? 0 : 1 }
    ' "$WINEPREFIX/system.reg" >"$WINEPREFIX/system.reg.new" ||
        fail "the prefix lacks one of the services ${unused_services[*]}"
    mv "$WINEPREFIX/system.reg.new" "$WINEPREFIX/system.reg"
    printf '\n[Software\\\\Wine\\\\DllOverrides]\n"winemenubuilder.exe"=""\n' \
        >>"$WINEPREFIX/user.reg"
    # A program that crashes ends at once, its backtrace printed, instead of waiting on a
    # crash dialog nobody sees until the idle limit stops it.
    printf '\n[Software\\\\Wine\\\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n' \
        >>"$WINEPREFIX/user.reg"
}

# The prefix is made once per user, Wine version and recipe; a run that finds it made
# reuses it. It needs no display, and a user's own one must not show its windows. The
# server outlives wineboot, still writing the registry: its end is what is waited for.
make_prefix() {
    env -u DISPLAY wineboot -u || fail "wineboot failed to make the Wine prefix"
    env -u DISPLAY wineserver -w
    [[ -e "$WINEPREFIX/.update-timestamp" && -e "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]] ||
        fail "the Wine prefix was not made"
    disable_unused_services
}

cache="${ACTORBARS_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/actorbars}"
recipe="$({
    wine --version
    declare -f make_prefix disable_unused_services
    echo "${unused_services[*]}"
} | sha256sum | cut -c1-16)"
prefix="$cache/wineprefix-$recipe"
mkdir -p "$cache"
exec 9>"$prefix.lock"
if [[ ! -e "$prefix/.made" ]]; then
    flock 9
    if [[ ! -e "$prefix/.made" ]]; then
        start=$(date +%s)
        echo "with-wine: making the Wine prefix $prefix (seconds natively, about a minute under an emulator)" >&2
        rm -rf "$prefix.new"
        trap 'WINEPREFIX="$prefix.new" wineserver -k >/dev/null 2>&1 || true' EXIT
        WINEPREFIX="$prefix.new" make_prefix
        trap - EXIT
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
# test's time. A program waits two minutes for the boot, many times what it takes even
# under an emulator: a boot still going then has hung.
boot_session() {
    local log
    log="$(mktemp)"
    if ! WINEDEBUG=-all,err+environ wine cmd.exe /c exit </dev/null >"$log" 2>&1 ||
        grep -q "boot event wait timed out" "$log"; then
        cat "$log" >&2
        fail "the Wine session did not start"
    fi
    rm -f "$log"
}

start=$(date +%s)
boot_session
echo "with-wine: session up in $(($(date +%s) - start)) s" >&2

export ACTORBARS_WINE_READY=1
# In a subshell, so that the session's end, on exit, comes after the command's.
(run_in_session "$@")
