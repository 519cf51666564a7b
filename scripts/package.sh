#!/bin/sh
# Builds the programs and resources (the window program included, not the
# tests) and makes the Debian package in build/package/; prints its path.
# Needs dpkg-shlibdeps (the package dpkg-dev) and file, which scripts/install-deps.sh
# --tests installs) to declare the libraries the programs link.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh --without-tests
rm -f build/package/*.deb
cpack -G DEB --config build/CPackConfig.cmake -B build/package >build/package.log 2>&1 || {
  cat build/package.log >&2
  exit 1
}
ls "$PWD"/build/package/*.deb
