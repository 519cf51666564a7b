#!/bin/sh
# Writes PNG pictures of the windows, with the example manuscript loaded, into
# build/screenshots/: the main window (in English and in German), the window
# during a build, the results of a clean build, of one with problems and of
# one checked by EPUBCheck (while it checks, and its verdict), Check Book's own
# view, the preferences, Open Recent, About, the Kindle alert, the help window
# and the welcome window. EPUBCheck is the installed one (the package
# epubcheck); without it the verdict says it is not installed. Runs on a virtual X server
# (xvfb-run, from the package xvfb) when one is installed, else on Qt's
# offscreen platform. Needs a build configured with -DQUILLARY_GUI=ON.
set -eu
cd "$(dirname "$0")/.."
cmake --build build --target gui_screenshots quillary-textutil
mkdir -p build/screenshots
export QUILLARY_RESOURCES="$PWD/build/share/quillary"
export QUILLARY_FIXTURES="$PWD/tests/fixtures"
# The real converter, a second late each time, so that the window can be
# pictured in the middle of a real build.
slow_converter=build/slow-textutil
cat >"$slow_converter" <<EOF
#!/bin/sh
sleep 1
exec "$PWD/build/bin/quillary-textutil" "\$@"
EOF
chmod +x "$slow_converter"
export QUILLARY_TEXTUTIL="$PWD/$slow_converter"
if command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/gui_screenshots build/screenshots
else
  QT_QPA_PLATFORM=offscreen build/bin/gui_screenshots build/screenshots
fi
ls build/screenshots/*.png
