#!/bin/sh
# Installs the Debian packages Quillary needs to build, test and run.
# Safe to run again: apt-get skips what is already there.
set -eu
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root (it calls apt-get)" >&2
  exit 2
fi
packages="build-essential cmake pkg-config git
  libgtest-dev libgmock-dev
  libzip-dev
  gettext
  epubcheck default-jre-headless
  libreoffice-writer-nogui"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing
fi
