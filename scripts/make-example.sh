#!/bin/sh
# Installs what Quillary needs, builds the programs and resources (not the
# tests), and makes the example book.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh --without-tests quillary quillary-textutil quillary_resources
mkdir -p build/examples
build/bin/quillary build examples/Lighthouse/Lighthouse.rtf -o build/examples/Lighthouse.epub
