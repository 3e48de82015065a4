#!/usr/bin/env bash
# Runs apt-get against Debian 13's archive through a sources list, package lists and
# download folder of the project's own, under STATE, so that a Debian 12 machine can fetch
# a package or source package of Debian 13 without its own package sources being changed
# or anything being installed:
#   scripts/debian13-apt.sh STATE download qemu-user
#   scripts/debian13-apt.sh STATE source --download-only dxvk
# The files land in the current folder. The archive is the mirror this machine already uses
# for Debian 12's main component; the keys are Debian 12's own archive keyring, which holds
# Debian 13's. The lists are fetched once per STATE; remove STATE to fetch them anew.
set -euo pipefail

(($# >= 2)) || {
    echo "usage: $0 STATE APT-GET-ARGUMENTS..." >&2
    exit 2
}
state="$1"
shift

fail() {
    echo "debian13-apt: $*" >&2
    exit 1
}

mirror="$(apt-get indextargets --format '$(REPO_URI)' 'Origin: Debian' 'Codename: bookworm' \
    'Component: main' 2>/dev/null | head -n 1)"
[[ -n "$mirror" ]] || fail "no Debian 12 mirror among this machine's package lists: run apt-get update"
keyring=/usr/share/keyrings/debian-archive-trixie-stable.gpg
[[ -e "$keyring" ]] || fail "$keyring is missing: install debian-archive-keyring"

mkdir -p "$state/sources" "$state/lists/partial" "$state/archives/partial"
printf 'Types: deb deb-src\nURIs: %s\nSuites: trixie\nComponents: main\nSigned-By: %s\n' \
    "$mirror" "$keyring" >"$state/sources/trixie.sources"

options=(
    -o "Dir::Etc::SourceList=/dev/null"
    -o "Dir::Etc::SourceParts=$state/sources"
    -o "Dir::State::Lists=$state/lists"
    -o "Dir::Cache::Archives=$state/archives"
    -o "Dir::Cache::pkgcache="
    -o "Dir::Cache::srcpkgcache="
    # Root's downloads otherwise drop to the _apt user, who cannot write to a user's folder.
    -o "APT::Sandbox::User=root"
)
if [[ ! -e "$state/lists/.fetched" ]]; then
    log="$state/update.log"
    apt-get "${options[@]}" update >"$log" 2>&1 && ! grep -q '^[WE]: ' "$log" ||
        fail "cannot fetch Debian 13's package lists from $mirror (see $log)"
    touch "$state/lists/.fetched"
fi
exec apt-get "${options[@]}" -q "$@"
