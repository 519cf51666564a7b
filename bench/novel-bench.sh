#!/bin/sh
# Times the whole chain on a generated novel: RTF in, finished EPUB out,
# through the quillary command (process start, converter and archive
# included), and prints the median wall time per EPUB version, with the
# median processor time (user and system, converter processes included),
# which says more than the wall time on a busy machine. Needs python3.
# Usage: bench/novel-bench.sh [BUILD_DIR] [RUNS] [WORDS]
# WORDS defaults to 100,000 (a novel); 10000 gives a short story.
set -eu
build=${1:-build}
runs=${2:-11}
words=${3:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/novel" "$work/data"
# Chapters of 50 paragraphs of 50 words, with a bookmark per chapter, an
# endnote every tenth paragraph and a cross-reference in each chapter.
chapters=$(( (words + 2499) / 2500 ))
awk -v chapters="$chapters" 'BEGIN {
  srand(7);
  split("the sea light keeper rock storm wick lens night ship gull tide wind stair log", w, " ");
  print "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}";
  print "{\\colortbl;\\red0\\green0\\blue0;}";
  print "\\pard\\qc\\f0\\fs24 toc: Contents\\par";
  for (c = 1; c <= chapters; c++) {
    printf "\\pard\\qc bookmark: Chapter %d\\par\n", c;
    for (p = 1; p <= 50; p++) {
      printf "\\pard\\qj\\fi360 ";
      for (i = 1; i <= 50; i++) printf "%s%s", w[int(rand() * 15) + 1], (i < 50 ? " " : "");
      if (p % 10 == 0) printf "<<A note on chapter %d.>>", c;
      if (p == 25 && c < chapters) printf " See \\{\\{Chapter %d\\}\\}.", c + 1;
      print ".\\par";
    }
  }
  print "}";
}' > "$work/novel/Novel.rtf"
counted=$(tr -cs 'a-z' '\n' < "$work/novel/Novel.rtf" | wc -l)
echo "manuscript: $(wc -c < "$work/novel/Novel.rtf") bytes, about $counted words"
# Python's wait4 gives the build's processor time to the microsecond, with
# the converter processes it waited for.
for epub in --epub3 --epub2; do
  XDG_DATA_HOME="$work/data" python3 - "$runs" "$epub" "$build/bin/quillary" build "$work/novel/Novel.rtf" \
    "$epub" -o "$work/Novel.epub" <<'PY'
import os, statistics, subprocess, sys, time
runs, label, command = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
wall, cpu = [], []
for _ in range(runs):
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(child.pid, 0)
    wall.append((time.perf_counter() - start) * 1000)
    cpu.append((usage.ru_utime + usage.ru_stime) * 1000)
print(f"{label}: median {statistics.median(wall):.1f} ms wall of {runs} runs "
      f"(fastest {min(wall):.1f}, slowest {max(wall):.1f}), {statistics.median(cpu):.1f} ms processor")
PY
done
echo "book: $(wc -c < "$work/Novel.epub") bytes"
