#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test actorbars: the native
# toolchain and test libraries, MinGW-w64 for the 32-bit DLL, and Wine with Xvfb and Mesa
# to run the stand-in host, and ImageMagick for the demo's animation. Safe to run again;
# needs root (apt-get).
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686 mingw-w64-i686-dev libstb-dev
    wine wine32:i386 xvfb xauth libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386
    qemu-user-static
    imagemagick
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

# Wine's 32-bit loader is a 32-bit Linux program. Kernels booted without 32-bit emulation
# refuse it; there the loader runs under qemu's user-mode emulator instead (slower).
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ ! -e "$binfmt/qemu-i386" ]; then
        echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >"$binfmt/register"
    fi
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || {
        echo "setup: this machine cannot run 32-bit programs" >&2
        exit 1
    }
    echo "setup: 32-bit programs run under qemu-i386 on this kernel"
fi
