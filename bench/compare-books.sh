#!/bin/bash
# Builds every test manuscript and every corpus file with two builds of the
# quillary program, before and after a change, and compares what they made:
# the books' entries file by file (unpacked), the stored book information,
# the JSON report, the terminal's messages and the exit status.
#
#   bench/compare-books.sh OLD_QUILLARY NEW_QUILLARY
#
# Each program runs with its own converter and resources (those beside it):
# QUILLARY_TEXTUTIL and QUILLARY_RESOURCES are cleared. The corpus is
# $QUILLARY_CORPUS, else ../shared/corpus beside the repository (or beside
# its main checkout, from a linked worktree); VERSIONS
# (default "--epub3 --epub2") says which EPUB versions each manuscript is
# built as.
#
# .docx manuscripts go to the new program's own reader, where the old one
# sent them through LibreOffice; QUILLARY_DOCX_VIA_LIBREOFFICE=1 in the
# environment sends the new one's the old way too, so that only the other
# changes show.
#
# What would differ from run to run is held still: the book information is
# given on the command line (the date too, which defaults to today); entry
# times come from SOURCE_DATE_EPOCH; each build gets an empty data folder, so
# no information stored by an earlier build fills a field; and both programs
# build at the same paths, so paths in the report and the messages match. The
# book's identifier is a hash of the title and author, the same for both.
# Exit status: 0 when every book's content is identical, 1 otherwise.
set -u
if [ $# -ne 2 ] || [ ! -x "$1" ] || [ ! -x "$2" ]; then
  echo "usage: $0 OLD_QUILLARY NEW_QUILLARY (two quillary executables)" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${QUILLARY_CORPUS:-$repo/../shared/corpus}
if [ -z "${QUILLARY_CORPUS:-}" ] && [ ! -d "$corpus" ]; then
  common=$(git -C "$repo" rev-parse --path-format=absolute --git-common-dir 2>/dev/null)
  [ -n "$common" ] && corpus=$(dirname "$common")/../shared/corpus
fi
[ -d "$corpus" ] || echo "no corpus at $corpus: the test manuscripts only" >&2
versions=${VERSIONS:---epub3 --epub2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

manuscripts() {
  find "$repo/tests/fixtures" "$repo/examples/Lighthouse" -type f \( -iname '*.rtf' -o -iname '*.doc' -o -iname '*.docx' \)
  [ -d "$corpus" ] && find "$corpus" -type f \( -iname '*.rtf' -o -iname '*.doc' -o -iname '*.docx' \)
}

# Builds $1 as version $2 with program $3; leaves the results in $work/run.
build() {
  rm -rf "$work/run"
  mkdir -p "$work/run/data"
  env -u QUILLARY_TEXTUTIL -u QUILLARY_RESOURCES SOURCE_DATE_EPOCH=1700000000 \
    XDG_DATA_HOME="$work/run/data" "$3" build "$1" "$2" -o "$work/run/Book.epub" \
    --title "Compared Book" --author "A. Writer" --publisher "Press" --copyright "2020 A. Writer" \
    --genre Fiction --date 2020-02-02 --language en --report json \
    >"$work/run/report.json" 2>"$work/run/messages.txt"
  echo "$?" >"$work/run/status.txt"
  if [ -f "$work/run/Book.epub" ]; then
    mkdir "$work/run/book"
    unzip -q "$work/run/Book.epub" -d "$work/run/book"
    # The entries' order, names, attributes and methods count too; the
    # compression level noted beside the method may change with the
    # compressor, as the compressed bytes may.
    zipinfo "$work/run/Book.epub" |
      awk '/^[-d]/ { print $1, $5, ($6 == "stor" ? "stored" : substr($6, 1, 3)), $NF }' >"$work/run/entries.txt"
  fi
}

total=0
differing=0
made=0
oldBytes=0
newBytes=0
archivesSame=0
while IFS= read -r manuscript; do
  for version in $versions; do
    total=$((total + 1))
    build "$manuscript" "$version" "$old"
    rm -rf "$work/old"
    mv "$work/run" "$work/old"
    build "$manuscript" "$version" "$new"
    name="${manuscript#"$repo"/} $version"
    if [ -f "$work/old/Book.epub" ] && [ -f "$work/run/Book.epub" ]; then
      made=$((made + 1))
      oldBytes=$((oldBytes + $(stat -c %s "$work/old/Book.epub")))
      newBytes=$((newBytes + $(stat -c %s "$work/run/Book.epub")))
    fi
    if [ -f "$work/old/Book.epub" ] && [ -f "$work/run/Book.epub" ] &&
      cmp -s "$work/old/Book.epub" "$work/run/Book.epub"; then
      archivesSame=$((archivesSame + 1))
    fi
    rm -f "$work/old/Book.epub" "$work/run/Book.epub"
    if ! changes=$(diff -rq "$work/old" "$work/run" 2>&1); then
      differing=$((differing + 1))
      echo "DIFFERENT: $name"
      echo "$changes" | sed "s|$work/old/||g; s|$work/run/||g; s/^/  /"
      diff -ru "$work/old" "$work/run" 2>/dev/null | head -n 20 | sed 's/^/    /'
    fi
  done
done < <(manuscripts | sort)

echo "$total builds compared: $((total - differing)) identical, $differing different" \
  "($made books made by both, $archivesSame of them byte for byte the same;" \
  "their archives $oldBytes bytes before, $newBytes after)"
[ "$differing" -eq 0 ]
