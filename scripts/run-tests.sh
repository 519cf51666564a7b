#!/bin/sh
# Installs what Quillary needs, builds it with warnings as errors, and runs
# every test (unit, end-to-end with EPUBCheck, window).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DQUILLARY_WERROR=ON -DQUILLARY_GUI=OFF
# Test folders go to a private place that is removed afterwards.
QUILLARY_TEST_TMP=$(mktemp -d)
export QUILLARY_TEST_TMP
trap 'rm -rf "$QUILLARY_TEST_TMP"' EXIT
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 600
