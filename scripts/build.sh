#!/bin/sh
# Configures Quillary in build/ and builds it.
#   build.sh                         everything, the tests included
#   build.sh --without-tests TARGET... only the named targets, with no test
#                                    set up (GoogleTest need not be installed)
# Both set-up commands configure with the same compiler flags, so that one run
# after the other rebuilds nothing that the first one built.
set -eu
cd "$(dirname "$0")/.."
testing=ON
if [ "${1:-}" = --without-tests ]; then
  testing=OFF
  shift
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLARY_WERROR=ON -DQUILLARY_GUI=ON \
  -DBUILD_TESTING="$testing" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j "$(nproc)" --target "$@"
else
  cmake --build build -j "$(nproc)"
fi
