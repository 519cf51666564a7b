#!/bin/sh
# Times the whole chain on a generated 100,000-word novel: RTF in, finished
# EPUB out, through the quillary command (process start, converter and
# archive included). Usage: bench/novel-bench.sh [BUILD_DIR] [RUNS]
set -eu
build=${1:-build}
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/novel" "$work/data"
# 40 chapters of 50 paragraphs of 50 words, with a bookmark per chapter, an
# endnote every tenth paragraph and a cross-reference in each chapter.
awk 'BEGIN {
  srand(7);
  split("the sea light keeper rock storm wick lens night ship gull tide wind stair log", w, " ");
  print "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}";
  print "{\\colortbl;\\red0\\green0\\blue0;}";
  print "\\pard\\qc\\f0\\fs24 toc: Contents\\par";
  for (c = 1; c <= 40; c++) {
    printf "\\pard\\qc bookmark: Chapter %d\\par\n", c;
    for (p = 1; p <= 50; p++) {
      printf "\\pard\\qj\\fi360 ";
      for (i = 1; i <= 50; i++) printf "%s%s", w[int(rand() * 15) + 1], (i < 50 ? " " : "");
      if (p % 10 == 0) printf "<<A note on chapter %d.>>", c;
      if (p == 25 && c < 40) printf " See \\{\\{Chapter %d\\}\\}.", c + 1;
      print ".\\par";
    }
  }
  print "}";
}' > "$work/novel/Novel.rtf"
words=$(tr -cs 'a-z' '\n' < "$work/novel/Novel.rtf" | wc -l)
echo "manuscript: $(wc -c < "$work/novel/Novel.rtf") bytes, about $words words"
for epub in --epub3 --epub2; do
  i=0
  while [ "$i" -lt "$runs" ]; do
    start=$(date +%s%N)
    XDG_DATA_HOME="$work/data" "$build/bin/quillary" build "$work/novel/Novel.rtf" $epub \
      -o "$work/Novel.epub" >/dev/null 2>&1
    end=$(date +%s%N)
    echo "$epub run $((i + 1)): $(( (end - start) / 1000000 )) ms"
    i=$((i + 1))
  done
done
