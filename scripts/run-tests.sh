#!/bin/sh
# Installs what Quillary and its tests need, builds everything with warnings as
# errors, and runs every test (unit, end-to-end with EPUBCheck, window).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
scripts/build.sh
# Test folders go to a private place that is removed afterwards.
QUILLARY_TEST_TMP=$(mktemp -d)
export QUILLARY_TEST_TMP
trap 'rm -rf "$QUILLARY_TEST_TMP"' EXIT
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 600
