#!/bin/sh
# Builds the programs and resources (the window program included, not the
# tests) and makes the Debian package in build/package/; prints its path.
# Needs dpkg-shlibdeps (the package dpkg-dev) to declare the libraries the
# programs link, and file, which cpack runs on them; scripts/install-deps.sh
# --tests installs both.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh --without-tests
rm -f build/package/*.deb
cpack -G DEB --config build/CPackConfig.cmake -B build/package >build/package.log 2>&1 || {
  cat build/package.log >&2
  exit 1
}
ls "$PWD"/build/package/*.deb
