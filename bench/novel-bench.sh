#!/bin/sh
# Times the whole chain on a generated novel: RTF in, finished EPUB out,
# through the quillary command (process start, converter and archive
# included). Prints, per EPUB version, the median wall time, the median
# processor time (user and system, converter processes included, which says
# more than the wall time on a busy machine), the peak memory (of the largest
# process) and the book's size; then a table of the median time of each stage
# as the program reports it (QUILLARY_TIMINGS=1), with "other" the wall time
# the stages leave over (process start, reading the manuscript); an older
# program reports no stages, and the table says so.
#
# When pandoc is on PATH, it builds an EPUB 3 of the same manuscript as many
# times, from the RTF if it reads RTF, else from the HTML our converter makes
# of it, and the ratio of the medians is printed. pandoc does not read
# quillary's directives (chapters, notes, cross-references): it makes a book
# of one chapter with them as plain text, so it does less work than quillary.
#
# With SCALING=1 it also builds 100,000 and 1,000,000 words as EPUB 3, RUNS
# times each, and prints what ten times the words costs in time, and the peak
# memory of the larger build against the manuscript's size.
#
# With FORMAT=docx the same novel is built from a .docx that
# bench/novel-docx.py writes from the RTF the way Word writes one, pandoc
# reads that .docx, and the peak memory of the scaling is set against the
# size of its unpacked word/document.xml.
#
# Usage: [SCALING=1] [FORMAT=docx] bench/novel-bench.sh [BUILD_DIR] [RUNS] [WORDS]
# WORDS defaults to 100,000 (a novel); 10000 gives a short story.
# Needs python3. Exits non-zero when a build fails.
set -eu
build=${1:-build}
runs=${2:-11}
words=${3:-100000}
format=${FORMAT:-rtf}
bench=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
mkdir -p "$work/novel" "$work/data"

# Writes a novel of about $1 words to $2: chapters of 50 paragraphs of 50
# words, with a bookmark per chapter, an endnote every tenth paragraph and a
# cross-reference in each chapter.
novel() {
  awk -v chapters=$(( ($1 + 2499) / 2500 )) 'BEGIN {
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
  }' > "$2"
}

# Python's wait4 gives each build's processor time to the microsecond and its
# peak memory, with those of the converter processes it waited for. A process
# starts with python's memory until it runs the program, so a peak below the
# timer's own peak cannot be seen and is printed as "under" it.
#   timer book RUNS QUILLARY RTF OUT_DIR PANDOC_FORMAT PANDOC_INPUT PANDOC_NAME
# (the pandoc arguments empty for no comparison)
#   timer scaling RUNS QUILLARY SMALL_RTF SMALL_WORDS LARGE_RTF LARGE_WORDS OUT_DIR
timer() {
  python3 - "$@" <<'PY'
import os, re, resource, statistics, subprocess, sys, tempfile, time, zipfile
from types import SimpleNamespace

STAGES = ("convert", "normalise", "assemble", "documents", "archive")
TIMING = re.compile(r"^quillary-timing: (\S+) (\d+)\s*$", re.MULTILINE)

def measure(command, runs, timings=False):
    env = dict(os.environ, QUILLARY_TIMINGS="1") if timings else None
    wall, cpu, peak, floor, stages = [], [], 0, 0, {stage: [] for stage in STAGES}
    for _ in range(runs):
        with tempfile.TemporaryFile() as log:
            start = time.perf_counter()
            child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=log, env=env)
            _, status, usage = os.wait4(child.pid, 0)
            wall.append((time.perf_counter() - start) * 1000)
            log.seek(0)
            messages = log.read().decode(errors="replace")
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            sys.exit(f"{' '.join(command)} failed (exit status {child.returncode}):\n{messages}")
        cpu.append((usage.ru_utime + usage.ru_stime) * 1000)
        peak = max(peak, usage.ru_maxrss * 1024)
        # Read after the wait: starting the child may have grown python.
        floor = max(floor, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024)
        reported = {}
        for stage, micros in TIMING.findall(messages):
            reported[stage] = reported.get(stage, 0) + int(micros)
        for stage in STAGES:
            if stage in reported:
                stages[stage].append(reported[stage] / 1000)
    return SimpleNamespace(
        wall=statistics.median(wall), fastest=min(wall), slowest=max(wall),
        cpu=statistics.median(cpu), peak=peak if peak > floor else None, floor=floor,
        stages={stage: statistics.median(ms) for stage, ms in stages.items() if ms})

def megabytes(result):
    if result.peak is None:
        return f"under {result.floor / 1e6:.1f} MB"
    return f"{result.peak / 1e6:.1f} MB"

def stage_table(results):
    if not any(result.stages for result in results.values()):
        print("stages: not reported (this quillary prints no timings)")
        return
    print("stages, median ms " + "".join(f"{name:>9}" for name in results))
    for stage in STAGES + ("other",):
        cells = []
        for result in results.values():
            if stage == "other":
                ms = result.wall - sum(result.stages.values())
            else:
                ms = result.stages.get(stage)
            cells.append("-" if ms is None else f"{ms:.2f}")
        print(f"  {stage:<16}" + "".join(f"{cell:>9}" for cell in cells))

def faster(ours, theirs):
    if ours <= theirs:
        return f"quillary is {theirs / ours:.1f}× faster than pandoc"
    return f"pandoc is {ours / theirs:.1f}× faster than quillary"

def book(runs, quillary, rtf, out, pandoc_format, pandoc_input, pandoc_name):
    results = {}
    for version in ("3", "2"):
        epub = f"{out}/Novel-epub{version}.epub"
        result = measure([quillary, "build", rtf, f"--epub{version}", "-o", epub], runs, timings=True)
        results[f"EPUB {version}"] = result
        print(f"EPUB {version}: median {result.wall:.1f} ms wall of {runs} runs "
              f"(fastest {result.fastest:.1f}, slowest {result.slowest:.1f}), "
              f"{result.cpu:.1f} ms processor, peak {megabytes(result)}, "
              f"book {os.path.getsize(epub)} bytes")
    stage_table(results)
    if pandoc_format:
        theirs = measure(["pandoc", "-f", pandoc_format, "-t", "epub3", "-o", f"{out}/pandoc.epub",
                          pandoc_input], runs)
        print(f"{pandoc_name} from {pandoc_format.upper()}: median {theirs.wall:.1f} ms wall "
              f"of {runs} runs, peak {megabytes(theirs)}; "
              f"{faster(results['EPUB 3'].wall, theirs.wall)} (EPUB 3)")

def scaling(runs, quillary, small_rtf, small_words, large_rtf, large_words, out):
    def epub3(rtf):
        return measure([quillary, "build", rtf, "--epub3", "-o", f"{out}/Scaled.epub"], runs)
    small, large = epub3(small_rtf), epub3(large_rtf)
    small_words, large_words = int(small_words), int(large_words)
    print(f"scaling, EPUB 3, medians of {runs} runs: {small_words:,} words {small.wall:.1f} ms, "
          f"{large_words:,} words {large.wall:.1f} ms: {large_words // small_words}× the words "
          f"costs {large.wall / small.wall:.1f}× the time")
    size, what = os.path.getsize(large_rtf), "the manuscript"
    if large_rtf.endswith(".docx"):
        with zipfile.ZipFile(large_rtf) as docx:
            size, what = docx.getinfo("word/document.xml").file_size, "its word/document.xml"
    times = "" if large.peak is None else f" = {large.peak / size:.1f}× {what}"
    print(f"peak memory {megabytes(large)}{times} ({size / 1e6:.1f} MB, {large_words:,} words)")

mode, runs, *rest = sys.argv[1:]
{"book": book, "scaling": scaling}[mode](int(runs), *rest)
PY
}

# The novel of $1 words as $2.rtf, and as $2.docx with FORMAT=docx; prints
# the manuscript's path.
manuscript() {
  novel "$1" "$2.rtf"
  [ "$format" = docx ] && python3 "$bench/novel-docx.py" "$2.rtf" "$2.docx"
  echo "$2.$format"
}

script=$(manuscript "$words" "$work/novel/Novel")
counted=$(tr -cs 'a-z' '\n' < "$work/novel/Novel.rtf" | wc -l)
echo "manuscript: $(wc -c < "$script") bytes of $format, about $counted words"

# Older pandocs read no RTF; they get the HTML our converter makes of it.
pandocFormat='' input='' name=''
if command -v pandoc >/dev/null 2>&1; then
  name=$(pandoc --version | head -n 1)
  if pandoc --list-input-formats | grep -qx "$format"; then
    pandocFormat=$format input=$script
  else
    pandocFormat=html input="$work/novel.html"
    "$build/bin/quillary-textutil" -convert html -stdout -strip "$script" > "$input"
  fi
fi
timer book "$runs" "$build/bin/quillary" "$script" "$work" "$pandocFormat" "$input" "$name"
[ -n "$pandocFormat" ] || echo "pandoc: not installed, no comparison (apt-get install -y pandoc)"

if [ "${SCALING:-0}" = 1 ]; then
  small=$(manuscript 100000 "$work/novel/Small")
  large=$(manuscript 1000000 "$work/novel/Large")
  timer scaling "$runs" "$build/bin/quillary" "$small" 100000 "$large" 1000000 "$work"
fi
