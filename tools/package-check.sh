#!/usr/bin/env bash
# Builds the Debian package and tries it as a lab's IT would: installs it into a fresh
# minimal Debian 12 root, sets up the install folder as root, starts the program as a
# member of the group kr7 under a virtual display, reinstalls and removes the package,
# and checks that the data stayed. Needs root and Debian's package mirror.
set -euo pipefail
cd "$(dirname "$0")/.."

mirror=$(grep -hoE 'https?://[^ ]+/debian/?$' /etc/apt/sources.list.d/*.sources \
             /etc/apt/sources.list 2>/dev/null | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}
root=$(mktemp -d /tmp/kr7-package-root.XXXXXX)
chmod 755 "$root" # the root of a system every user walks through

cleanup() {
    for m in dev/pts dev proc; do umount "$root/$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
step() { printf '== %s\n' "$*"; }
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
                DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }
fail() { echo "package-check: $*" >&2; exit 1; }

step "building the package"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKR7_BUILD_TESTS=OFF >/dev/null
nice cmake --build build-package -j "$(nproc)" --target package >/dev/null
deb=$(ls build-package/kr7-data_*_amd64.deb)
lintian --fail-on error "$deb" 2>&1 | { grep -v 'root privileges' || true; }

step "making a fresh Debian 12 root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp "$deb" "$root/tmp/"

step "installing $(basename "$deb")"
in_root apt-get update -qq
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" \
    xvfb xauth x11-utils >/dev/null
in_root getent group kr7 >/dev/null || fail "the group kr7 was not created"
in_root desktop-file-validate /usr/share/applications/kr7-data.desktop 2>/dev/null || true
in_root man -w kr7-data >/dev/null 2>&1 || in_root test -f /usr/share/man/man1/kr7-data.1.gz ||
    fail "no manual page"

step "setting up the install folder as root"
in_root kr7-db init
in_root stat -c '%A %U:%G %n' /var/lib/halvik/kr7 /var/lib/halvik/kr7/KR7-d-4-0.db \
    /var/lib/halvik/kr7/KR7_error_log.txt
[ "$(in_root stat -c '%a %G' /var/lib/halvik/kr7)" = "2770 kr7" ] || fail "folder not 2770 kr7"
[ "$(in_root stat -c '%a %G' /var/lib/halvik/kr7/KR7-d-4-0.db)" = "660 kr7" ] ||
    fail "database not 660 kr7"

step "starting kr7-data as a member of kr7 under a virtual display"
in_root useradd --create-home --groups kr7 supervisor
in_root useradd --create-home outsider
in_root su outsider -c 'test ! -r /var/lib/halvik/kr7/KR7-d-4-0.db' ||
    fail "a user outside kr7 can read the database"
in_root su supervisor -c 'xvfb-run -a sh -c "kr7-data & sleep 8; xwininfo -root -tree |
    grep -i \"kr7\" | head -n 3; kill \$!; wait"' | tee "$root/tmp/windows.txt"
grep -q '"Password"' "$root/tmp/windows.txt" || {
    in_root cat /var/lib/halvik/kr7/KR7_error_log.txt 2>/dev/null || true
    fail "kr7-data did not open its password window"
}

step "reinstalling and removing the package"
in_root apt-get install -y -qq --reinstall "/tmp/$(basename "$deb")" >/dev/null
in_root apt-get remove -y -qq kr7-data >/dev/null
in_root test -f /var/lib/halvik/kr7/KR7-d-4-0.db || fail "removing the package lost the data"
in_root apt-get purge -y -qq kr7-data
in_root test -f /var/lib/halvik/kr7/KR7-d-4-0.db || fail "purging the package lost the data"
echo "package-check: ok"
