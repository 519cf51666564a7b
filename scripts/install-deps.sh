#!/bin/sh
# Installs the Debian packages Quillary needs to build and run (Qt 6 for the
# window, and Qt's own translations of its dialogs and key names); with --tests
# also those its tests need (GoogleTest, EPUBCheck with the Java runtime it
# brings, which is the larger half of the download; dpkg-dev, whose
# dpkg-shlibdeps lists the libraries the Debian package needs, and file, which
# cpack runs on every program it packs and which a minimal Debian lacks;
# clang-format, without which the test that keeps the code laid out as
# .clang-format says would not run).
# Safe to run again: only what is missing is installed.
set -eu
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: run as root (it calls apt-get)" >&2
  exit 2
fi
packages="build-essential cmake pkg-config git
  libzip-dev libdeflate-dev libpugixml-dev
  gettext
  libreoffice-writer-nogui
  qt6-base-dev qt6-translations-l10n"
if [ "${1:-}" = --tests ]; then
  packages="$packages libgtest-dev libgmock-dev epubcheck default-jre-headless dpkg-dev file
    clang-format"
fi
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
