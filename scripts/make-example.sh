#!/bin/sh
# Installs what Quillary needs, builds it, and makes the example book.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DQUILLARY_GUI=OFF
mkdir -p build/examples
build/bin/quillary build examples/Lighthouse/Lighthouse.rtf -o build/examples/Lighthouse.epub
