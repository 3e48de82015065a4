#!/usr/bin/env bash
# Checks the README's first promise on a truly fresh machine: that on Debian 12, as root,
# a clone goes to green with scripts/demo.sh and then scripts/test.sh. Makes a minimal
# Debian 12 root (debootstrap's minbase) in a scratch folder, from the archive this machine
# already uses, puts a clone of this working tree in it (with what is not yet committed),
# runs the two commands there in order, as root, and prints each one's time and result.
# Not part of scripts/test.sh: it writes a whole system, a few GB, and takes minutes (5 min
# 18 s for 1.3.0 on a 2-core machine whose kernel runs 32-bit code, DXVK's build included).
# Everything it makes goes when it ends, passed, failed or interrupted, but debootstrap,
# which it installs here if missing and leaves installed, and the scratch folder, left where
# a mount under the root cannot be undone (it says so) or a kill -9 stops the script. No
# mount outlives it outside its own mount namespace.
#
# Usage, as root: scripts/check-fresh-debian.sh
#   ACTORBARS_FRESH_DIR  where the scratch folder goes (default /var/tmp)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"

say() { echo "check-fresh-debian: $*"; }
die() {
    echo "check-fresh-debian: $*" >&2
    exit 1
}

((EUID == 0)) || die "run as root: it makes a Debian root and chroots into it"

# In a mount namespace of its own, whose mounts nobody outside sees and which go with its
# last process: even a kill that leaves no time to clean up leaves no mount behind, and a
# mount made here can never reach the machine's own /dev.
namespace="$(readlink /proc/self/ns/mnt)"
if [[ "${ACTORBARS_FRESH_OUTER_NAMESPACE:-$namespace}" == "$namespace" ]]; then
    ACTORBARS_FRESH_OUTER_NAMESPACE="$namespace" exec unshare --mount --propagation private "$0" "$@"
fi

minutes() { printf '%d min %02d s' $(($1 / 60)) $(($1 % 60)); }

# The machine's Debian 12 archive and its security archive, as its package lists name them.
# shellcheck disable=SC2016 # apt expands $(REPO_URI), not the shell
archive() { apt-get indextargets --format '$(REPO_URI)' 'Origin: Debian' "Codename: $1" \
    'Component: main' | head -n1; }
mirror="$(archive bookworm)"
if [[ -z "$mirror" ]]; then
    apt-get update -q >/dev/null
    mirror="$(archive bookworm)"
fi
[[ -n "$mirror" ]] || die "this machine's apt knows no Debian 12 (bookworm) archive"
updates="$(archive bookworm-updates)"
security="$(archive bookworm-security)"

if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi

scratch="$(mktemp -d "${ACTORBARS_FRESH_DIR:-/var/tmp}/actorbars-fresh.XXXXXX")"
root="$scratch/root"

# Mount points under the root, deepest first.
mounts_under_root() {
    awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
cleanup() {
    local status=$? proc left
    trap - EXIT INT TERM
    # Whatever still runs inside (a wineserver, an Xvfb) holds files and mounts there.
    for proc in /proc/[0-9]*; do
        [[ "$(readlink "$proc/root" 2>/dev/null)" == "$root"* ]] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    for _ in 1 2 3; do
        while read -r mount; do umount "$mount" 2>/dev/null || umount -l "$mount" || true; done \
            < <(mounts_under_root)
    done
    left="$(mounts_under_root)"
    if [[ -n "$left" ]]; then
        # Never remove a tree that still reaches into the machine's /dev, /proc or /sys.
        echo "check-fresh-debian: still mounted, so $scratch is left in place: ${left//$'\n'/ }" >&2
    else
        rm -rf --one-file-system "$scratch"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say "Debian 12 minbase from $mirror into $root"
start=$SECONDS
nice -n 19 debootstrap --variant=minbase bookworm "$root" "$mirror" >"$scratch/debootstrap.log" 2>&1 ||
    { tail -n 20 "$scratch/debootstrap.log" >&2; die "debootstrap failed"; }
say "root made in $(minutes $((SECONDS - start)))"

# The package sources a fresh Debian 12 install has: the release, its updates and security.
{
    echo "deb $mirror bookworm main"
    [[ -z "$updates" ]] || echo "deb $updates bookworm-updates main"
    [[ -z "$security" ]] || echo "deb $security bookworm-security main"
} >"$root/etc/apt/sources.list"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

# A clone, as the README's reader has, with the working tree's changes laid over it: every
# file git tracks or would track as it is now, and none that it has deleted.
git clone -q --no-hardlinks "$src" "$root/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [[ -e "$f" ]] && printf '%s\0' "$f"; done |
    tar --null -T - -cf -) | tar -xf - -C "$root/src"
(cd "$src" && git ls-files -z --deleted) | (cd "$root/src" && xargs -0 -r rm -f --)

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"

# As a root login on the fresh machine: its environment, not this one's.
results=()
failed=0
for command in scripts/demo.sh scripts/test.sh; do
    say "running $command"
    start=$SECONDS
    status=0
    nice -n 19 chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root \
        SHELL=/bin/bash TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /src && $command" || status=$?
    verdict=$([[ $status -eq 0 ]] && echo passed || echo "FAILED (exit $status)")
    results+=("$command: $verdict in $(minutes $((SECONDS - start)))")
    say "${results[-1]}"
    ((status == 0)) || failed=1
done

say "summary, in a fresh Debian 12 minbase root:"
for r in "${results[@]}"; do say "  $r"; done
exit "$failed"
