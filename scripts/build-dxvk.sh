#!/usr/bin/env bash
# Builds DXVK's 32-bit d3d9.dll, a Direct3D 9 that draws through Vulkan, from Debian 13's
# source package, once per source version, into the cache that scripts/with-wine.sh keeps
# its Wine prefix in (~/.cache/actorbars, or $ACTORBARS_WINE_CACHE), and prints its path:
#   dll="$(scripts/build-dxvk.sh)"
# Only the path goes to standard output. Once built, a run needs no network and takes a
# moment; a new build happens only when Debian 13's package lists, fetched anew (remove
# the cache's debian13 folder), name another version.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

fail() {
    echo "build-dxvk: $*" >&2
    exit 1
}

cache="${ACTORBARS_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/actorbars}"
state="$cache/debian13"
# The version last read off Debian 13's lists. Asking apt costs seconds, so the answer is
# kept until the lists are fetched again.
memo="$state/dxvk.version"

source_version() {
    if [[ -s "$memo" && -e "$state/lists/.fetched" && "$memo" -nt "$state/lists/.fetched" ]]; then
        cat "$memo"
        return
    fi
    local log="$cache/build-dxvk-version.log" version
    # No download: the file names of the source package say its version.
    "$root/scripts/debian13-apt.sh" "$state" source --print-uris dxvk >"$log" 2>&1 ||
        fail "cannot find Debian 13's dxvk source package: $(grep -m1 -e '^debian13-apt:' -e '^E:' "$log" || tail -n 1 "$log")"
    version="$(sed -n "s/^'[^']*' dxvk_\(.*\)\.dsc .*/\1/p" "$log")"
    [[ -n "$version" ]] || fail "no dxvk .dsc among Debian 13's source files (see $log)"
    rm -f "$log"
    echo "$version" >"$memo"
    echo "$version"
}

mkdir -p "$cache"
version="$(source_version)"
# An epoch's colon has no place in a folder name.
target="$cache/dxvk-${version#*:}"
if [[ -e "$target/d3d9.dll" ]]; then
    echo "$target/d3d9.dll"
    exit 0
fi

# The packages that scripts/setup.sh installs for each tool.
needed=(
    meson:meson ninja:ninja-build glslangValidator:glslang-tools
    dpkg-source:dpkg-dev dpkg-deb:dpkg
    i686-w64-mingw32-gcc-posix:gcc-mingw-w64-i686 i686-w64-mingw32-g++-posix:g++-mingw-w64-i686
    i686-w64-mingw32-strip:binutils-mingw-w64-i686
)
missing=()
for pair in "${needed[@]}"; do
    command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
done
((${#missing[@]} == 0)) ||
    fail "missing tools: run scripts/setup.sh (as root) (packages ${missing[*]})"

# One build at a time; a second caller waits and then finds the first one's result.
exec 9>"$cache/build-dxvk.lock"
flock 9
if [[ -e "$target/d3d9.dll" ]]; then
    echo "$target/d3d9.dll"
    exit 0
fi

start=$(date +%s)
echo "build-dxvk: building DXVK $version's d3d9.dll into $target (about three minutes on two cores)" >&2
# Scratch space inside the cache, so that the finished folder moves into place in one
# rename, on the same file system. A build that was killed left its own behind.
rm -rf "$cache"/build-dxvk.*/
scratch="$(mktemp -d "$cache/build-dxvk.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
log="$cache/build-dxvk.log"
: >"$log"

# Runs a step with its output in the log; a failing step names itself and the log.
step() {
    local what="$1"
    shift
    echo "== $what: $*" >>"$log"
    "$@" >>"$log" 2>&1 || {
        tail -n 20 "$log" >&2
        fail "$what failed (full output in $log)"
    }
}

# apt-get leaves what it fetches in the current folder.
debian13_apt() {
    (cd "$scratch" && "$root/scripts/debian13-apt.sh" "$state" "$@")
}

step "fetching the source package" debian13_apt source --download-only "dxvk=$version"
src="$scratch/src"
step "unpacking the source package" dpkg-source -x "$scratch/dxvk_${version#*:}.dsc" "$src"

# DXVK 2.6 uses Vulkan and SPIR-V declarations newer than Debian 12's headers have, and
# expects them in folders of its own (git submodules upstream). Debian 13's header
# packages are unpacked, not installed: the machine's own headers stay as they are.
step "fetching Debian 13's Vulkan and SPIR-V headers" debian13_apt download libvulkan-dev spirv-headers
headers="$scratch/headers"
for deb in "$scratch"/libvulkan-dev_*.deb "$scratch"/spirv-headers_*.deb; do
    step "unpacking $(basename "$deb")" dpkg-deb -x "$deb" "$headers"
done
mkdir -p "$src/include/vulkan/include" "$src/include/spirv/include"
cp -R "$headers/usr/include/vulkan" "$headers/usr/include/vk_video" "$src/include/vulkan/include/"
cp -R "$headers/usr/include/spirv" "$src/include/spirv/include/"

# DXVK reads monitors' EDID with libdisplay-info, built as a meson subproject. Debian
# ships it as a second tarball of the source package, which unpacks beside the source
# rather than where meson looks for it.
[[ -f "$src/libdisplay-info/meson.build" ]] ||
    fail "the source package has no libdisplay-info component"
rm -rf "$src/subprojects/libdisplay-info"
mkdir -p "$src/subprojects"
mv "$src/libdisplay-info" "$src/subprojects/libdisplay-info"

# MinGW's default compilers use the win32 thread model, whose C++ library lacks the
# threading parts of the standard library (std::cv_status, for one) that DXVK uses; the
# -posix ones have them, on winpthreads, which DXVK links statically.
cross="$src/build-win32-posix.txt"
sed -e "s/'i686-w64-mingw32-gcc'/'i686-w64-mingw32-gcc-posix'/" \
    -e "s/'i686-w64-mingw32-g++'/'i686-w64-mingw32-g++-posix'/" \
    "$src/build-win32.txt" >"$cross"
[[ "$(grep -c -- "-posix'" "$cross")" == 2 ]] ||
    fail "the source's build-win32.txt no longer names MinGW's compilers as expected"

# A unity build compiles each library as a few large files instead of two hundred small
# ones, each of which parsed the same Vulkan and standard headers again: on two cores the
# build took 2 min instead of 9. libdisplay-info's own files declare static functions of
# the same names, so that one library is built file by file.
di="$src/subprojects/libdisplay-info/meson.build"
[[ "$(grep -c '^\s*install: false,$' "$di")" == 1 ]] ||
    fail "libdisplay-info's meson.build no longer has its one library as expected"
sed -i "s/^\(\s*\)install: false,$/&\n\1override_options: ['unity=off'],/" "$di"

# DXVK's version, which its log's first line names ("DXVK: 2.6.0"), is meson.build's
# project version: Debian's patch swaps upstream's git describe for printenv of a
# make-style "$(DEB_VERSION_UPSTREAM)", which meson passes quoted, so the command finds
# nothing and meson falls back to the project version. No variable needs setting.
build="$scratch/build"
step "configuring" meson setup "$build" "$src" --cross-file "$cross" --buildtype release \
    --unity on --unity-size 16 -Denable_d3d9=true -Denable_d3d8=false -Denable_d3d10=false \
    -Denable_d3d11=false -Denable_dxgi=false
step "compiling" ninja -C "$build" src/d3d9/d3d9.dll

out="$scratch/dxvk-${version#*:}"
mkdir "$out"
# A release build carries no debug information, only a symbol table nobody reads.
step "stripping" i686-w64-mingw32-strip -o "$out/d3d9.dll" "$build/src/d3d9/d3d9.dll"
rm -rf "$target"
mv "$out" "$cache/"
rm -f "$log"

# Older versions' builds are never used again.
for old in "$cache"/dxvk-*/; do
    [[ "${old%/}" == "$target" ]] || rm -rf "$old"
done
echo "build-dxvk: built in $(($(date +%s) - start)) s" >&2
echo "$target/d3d9.dll"
