#!/bin/sh
# Makes the Debian package from a built tree, unpacks it into a scratch root
# with dpkg -x (nothing is installed, the package database is not touched) and
# runs the unpacked command line from there, so that the installed layout is
# what is tested, not the build tree's.
#   package-test.sh BUILD_DIR EXAMPLE_DIR
set -eu
build=$1
example=$2
scratch=$(mktemp -d "${QUILLARY_TEST_TMP:-${TMPDIR:-/tmp}}/package-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Everything the programs write goes into the scratch folder, and they find
# their resources and converter beside themselves only.
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
  XDG_CACHE_HOME="$scratch/cache" TMPDIR="$scratch/tmp"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$TMPDIR"
unset QUILLARY_RESOURCES QUILLARY_TEXTUTIL QUILLARY_BIN

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack could not make the package"; }
set -- "$scratch"/out/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single .deb: $*"
deb=$1

contents=$(dpkg-deb -c "$deb" | sed 's/^.* \.\//\//')
desktop=/usr/share/applications/org.quillary.Quillary.desktop
for file in /usr/bin/quillary /usr/bin/quillary-gui /usr/bin/quillary-textutil "$desktop" \
  /usr/share/icons/hicolor/48x48/apps/quillary.png /usr/share/icons/hicolor/scalable/apps/quillary.svg \
  /usr/share/metainfo/org.quillary.Quillary.metainfo.xml /usr/share/man/man1/quillary.1.gz \
  /usr/share/quillary/locale/de/LC_MESSAGES/quillary.mo "/usr/share/quillary/User's Guide.pdf" \
  /usr/share/quillary/help/HowToPrepare.html /usr/share/quillary/content-3.opf; do
  printf '%s\n' "$contents" | grep -qxF "$file" || fail "the package lacks $file"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libzip4; do
  case "$depends" in *"$library"*) ;; *) fail "Depends does not name $library: $depends" ;; esac
done

root="$scratch/root"
dpkg -x "$deb" "$root"

# The desktop entry starts a program and shows an icon that the package holds.
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root$desktop")
icon=$(sed -n 's/^Icon=//p' "$root$desktop")
[ -x "$root/usr/bin/$exec_program" ] || fail "the desktop entry starts $exec_program, which the package lacks"
printf '%s\n' "$contents" | grep -q "^/usr/share/icons/hicolor/.*/apps/$icon\.png$" ||
  fail "the desktop entry shows the icon $icon, which the package lacks"

quillary="$root/usr/bin/quillary"
version=$("$quillary" --version) || fail "quillary --version failed"
[ "$version" = "quillary $(dpkg-deb -f "$deb" Version)" ] || fail "quillary --version says: $version"

# Every command and option the program's own help names has its place in the
# manual page.
manual=$(gzip -dc "$root/usr/share/man/man1/quillary.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[A-Z]* //')
help=$("$quillary" --help; "$quillary" build --help)
for command in $(printf '%s\n' "$help" | sed -n 's/^  quillary \([a-z][a-z-]*\).*/\1/p' | sort -u); do
  printf '%s\n' "$manual" | grep -qF "quillary $command" || fail "the manual page lacks the command $command"
done
for option in $(printf '%s\n' "$help" | grep -oE -- '(^| |\[|\|)--?[a-z][a-z0-9-]*' | sed 's/^[][ |]*//' | sort -u); do
  printf '%s\n' "$manual" | grep -qF -- "$option" || fail "the manual page lacks the option $option"
done

# The example book, made by the unpacked programs from their own resources (a
# resource they miss ends the build; the end-to-end tests check the book).
cp -R "$example" "$scratch/book"
"$root/usr/bin/quillary-textutil" -info "$scratch/book/Lighthouse.rtf" >/dev/null ||
  fail "the unpacked quillary-textutil cannot read the example"
"$quillary" build "$scratch/book/Lighthouse.rtf" -o "$scratch/Lighthouse.epub" >"$scratch/build.log" 2>&1 ||
  { cat "$scratch/build.log" >&2; fail "the unpacked quillary could not build the example"; }
[ -s "$scratch/Lighthouse.epub" ] || fail "the build reported success but wrote no book"

echo "$(basename "$deb"): files, dependencies, version, manual page and the example book as they should be"
