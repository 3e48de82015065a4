#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test actorbars: the native
# toolchain and test libraries, MinGW-w64 for the 32-bit DLL, Wine with Xvfb and Mesa to
# run the stand-in host, ImageMagick and a font for the demo's film and contact sheet, and,
# where the kernel cannot run 32-bit programs, an emulator that runs them. Safe to run
# again: a second run changes nothing. Needs root (apt-get, binfmt_misc).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

packages=(
    git clang-format cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686 mingw-w64-i686-dev libstb-dev
    wine wine32:i386 xvfb xauth libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386
    meson glslang-tools dpkg-dev mesa-vulkan-drivers:i386 libvulkan1:i386
    imagemagick fonts-dejavu-core
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine's 32-bit loader is a 32-bit Linux program. Kernels booted without 32-bit support
# refuse it; there it runs under qemu's user-mode emulator, registered with binfmt_misc
# for 32-bit x86 programs. Debian 12's own (qemu 7.2) crashes while a Wine prefix is made
# and cannot resume a thread from an exception handler, which the fault checks need; Debian
# 13's (qemu 10) does both. Its package is fetched through apt with a sources list and
# lists folder of the project's own (scripts/debian13-apt.sh), not through a pinned
# Debian 13 source: installing would add Debian 13 to the machine's package sources, which
# nobody expects of a test script, and the emulator is one static binary with no
# dependencies, so unpacking it into a cache is all it takes.
binfmt=/proc/sys/fs/binfmt_misc
registration="$binfmt/qemu-i386"
emulator_cache=/var/cache/actorbars
# Debian 12's qemu-user-static, which an earlier setup registered under the same name.
old_emulator=/usr/bin/qemu-i386-static

runs_32bit() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

registered_emulator() {
    [[ -e "$registration" ]] && sed -n 's/^interpreter //p' "$registration"
}

# Unpacks the qemu-i386 of Debian 13's qemu-user into the cache, once per version, and
# prints its path.
fetch_emulator() {
    local scratch deb version target
    # The mirror is the one this machine uses for Debian 12, read off its package lists.
    apt-get indextargets | grep -q . || apt-get update -q >/dev/null
    scratch="$(mktemp -d)"
    trap 'rm -rf "$scratch"' RETURN
    (cd "$scratch" && "$root/scripts/debian13-apt.sh" "$emulator_cache/debian13" download qemu-user \
        >"$scratch/download.log" 2>&1) || {
        echo "setup: cannot fetch qemu-user from Debian 13's archive: $(grep -m1 -e '^debian13-apt:' -e '^E:' "$scratch/download.log" || tail -n 1 "$scratch/download.log")" >&2
        return 1
    }
    deb="$(echo "$scratch"/qemu-user_*.deb)"
    version="$(dpkg-deb -f "$deb" Version)"
    target="$emulator_cache/qemu-user-${version#*:}"
    if [[ ! -x "$target/qemu-i386" ]]; then
        mkdir -p "$target"
        dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/qemu-i386 >"$target/qemu-i386.new"
        chmod 755 "$target/qemu-i386.new"
        mv "$target/qemu-i386.new" "$target/qemu-i386"
    fi
    echo "$target/qemu-i386"
}

ours() {
    [[ "$1" == "$emulator_cache"/qemu-user-*/qemu-i386 ]]
}

[[ -e "$binfmt/register" ]] || ! runs_32bit || exit 0
[[ -e "$binfmt/register" ]] || mount -t binfmt_misc binfmt_misc "$binfmt"
current="$(registered_emulator || true)"
if [[ -n "$current" ]] && ours "$current" && grep -qx enabled "$registration" && runs_32bit; then
    echo "setup: 32-bit programs run under $current"
    exit 0
fi
if [[ "$current" == "$old_emulator" ]] || { [[ -n "$current" ]] && ours "$current"; }; then
    echo -1 >"$registration"
fi
# A kernel that runs them itself, or an emulator of somebody else's, is left alone.
runs_32bit && exit 0

emulator="$(fetch_emulator)" || exit 1
# F: the kernel opens the emulator now, so it also serves programs in a chroot or another
# mount namespace, where its path may not exist.
echo ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$emulator:F" \
    >"$binfmt/register"
runs_32bit || {
    echo "setup: this machine cannot run 32-bit programs, not even under $emulator" >&2
    exit 1
}
echo "setup: 32-bit programs run under $emulator on this kernel"
