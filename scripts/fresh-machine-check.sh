#!/bin/sh
# Proves that the README's set-up holds on a machine that has nothing yet:
# makes a minimal Debian 12 root with debootstrap, copies a clean export of
# this checkout's HEAD into it (with ../shared, the corpus, beside it, as the
# README expects), and runs, as root inside it, scripts/make-example.sh then
# scripts/run-tests.sh, twice in a row (the second round must build nothing
# new and pass again).
#   fresh-machine-check.sh [ROOT] [SHARED]
# ROOT (default /work/fresh-root) must not exist yet: every check starts from a
# root nothing was installed into. SHARED defaults to ../shared beside the
# checkout. Each round's output goes to ROOT/fresh-check-N.log; the last lines
# of a failing round are printed.
# Needs: root, debootstrap, about 2 GB free, and the Debian mirror reachable
# (about 40 MB for the root and 370 MB of packages are downloaded). Takes about
# an hour on two shared cores, most of it the first build without ccache.
# The root's /proc, /sys and /dev are mounted from the host while it runs and
# unmounted at the end; the root itself is kept for a look afterwards (remove
# it with `rm -rf --one-file-system ROOT`).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-/work/fresh-root}
shared=${2:-$here/../shared}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-machine-check.sh: run as root (debootstrap and chroot need it)" >&2
  exit 2
fi
if [ -e "$root" ]; then
  echo "fresh-machine-check.sh: $root exists; remove it (rm -rf --one-file-system $root) or name another" >&2
  exit 2
fi
[ -d "$shared" ] || { echo "fresh-machine-check.sh: no shared folder at $shared" >&2; exit 2; }

started=$(date +%s)
say() { echo "[$(( $(date +%s) - started ))s] $*"; }

# minbase is the smallest root apt works in, smaller than a default install or
# the distribution's container image, so whatever it lacks install-deps.sh must
# bring.
say "debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -20 "$root.debootstrap.log" >&2; exit 1; }

unmount() {
  for m in dev sys proc; do
    mountpoint -q "$root/$m" && umount -R "$root/$m"
  done
  return 0
}
trap unmount EXIT
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"

say "copying HEAD ($(git -C "$here" rev-parse --short HEAD)) and the shared folder"
mkdir -p "$root/work/quillary" "$root/work/shared"
git -C "$here" archive HEAD | tar -x -C "$root/work/quillary"
cp -a "$shared/." "$root/work/shared/"

inside() {
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}
say "apt in the root reaches the mirror?"
inside apt-get update -q >"$root/fresh-check-apt.log" 2>&1 ||
  { tail -20 "$root/fresh-check-apt.log" >&2; exit 1; }

for round in 1 2; do
  log="$root/fresh-check-$round.log"
  say "round $round: make-example.sh, then run-tests.sh (log: $log)"
  if ! inside sh -c 'cd /work/quillary && scripts/make-example.sh && scripts/run-tests.sh' >"$log" 2>&1; then
    tail -60 "$log" >&2
    say "round $round FAILED"
    exit 1
  fi
  grep -E 'tests passed|tests failed' "$log" | tail -1
done
say "both rounds passed"
