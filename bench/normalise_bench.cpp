// Times the normalisation of a converted novel of about 7 MB, the hyperlink
// pass over its lines and the stylesheet derivation.
// Usage: normalise_bench [megabytes] [runs]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "manuscript/Normalise.h"
#include "manuscript/Stylesheet.h"
#include "base/Text.h"

using namespace quillary;
using namespace quillary::manuscript;

namespace {

// Paragraphs in the converter's output form, with the share of accented
// letters, typographic quotes, dashes, tab spans and fields a novel has.
const char* const kParagraphs[] = {
    "<p class=\"p2\"><span class=\"s1\">\xE2\x80\x9CI never said that,\xE2\x80\x9D she "
    "answered \xE2\x80\x94 and the caf\xC3\xA9 went quiet -- for a while.</span></p>",
    "<p class=\"p3\"><span class=\"Apple-tab-span\">\t</span>He walked the long road "
    "home past the old mill, thinking of nothing in particular and of everything.</p>",
    "<p class=\"p2\">The na\xC3\xAFve answer\xE2\x80\x93the one everybody gave\xE2\x80\x93was "
    "wrong; the right one took three more chapters to arrive.<br>Still, it came.</p>",
    "<p class=\"p1\">See HYPERLINK \"http://www.example.com/notes\" <span class=\"s2\">the "
    "notes</span> for the map of the valley, drawn in 1921.</p>",
    "<table cellspacing=\"0\" cellpadding=\"0\"><tr><td valign=\"top\">Day one</td>"
    "<td valign=\"middle\">Day two</td></tr></table>",
};

std::string makeNovel(std::size_t bytes) {
    std::string novel =
        "<!DOCTYPE html>\n<html>\n<head>\n<style type=\"text/css\">\n"
        "p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; text-align: justify; font: 12.0px Times}\n"
        "p.p2 {margin: 0.0px; text-indent: 18.0px; line-height: 14.0px; font: 12.0px Times}\n"
        "p.p3 {margin: 0.0px; color: #000000; font: 14.0px Times; letter-spacing: 0.5px}\n"
        "span.s1 {color: #000000}\nspan.s2 {background-color: #ffffff; font: 18.0px Times}\n"
        "</style>\n</head>\n<body>\n";
    novel.reserve(bytes + 1024);
    for (std::size_t i = 0; novel.size() < bytes; ++i) {
        novel += kParagraphs[i % 3 == 0 ? i % 5 : i % 3];
        novel += '\n';
    }
    novel += "</body>\n</html>\n";
    return novel;
}

// Processor time of this thread: the machine is shared, and wall time
// would count the other programs' turns as ours.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <typename Step>
double fastestMilliseconds(int runs, Step step) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double start = threadMilliseconds();
        step();
        best = std::min(best, threadMilliseconds() - start);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 7.0;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string novel = makeNovel(static_cast<std::size_t>(megabytes * 1024 * 1024));

    std::string normalised;
    const double encodeMs = fastestMilliseconds(runs, [&] { normalised = fixEncodings(novel, false, true); });
    const std::vector<std::string> lines = text::split(normalised, "\n");

    std::size_t badLinkCount = 0;
    const double linksMs = fastestMilliseconds(runs, [&] {
        std::vector<std::string> badLinks;
        for (const auto& line : lines) {
            const std::string linked = fixLinks(line, badLinks);
            badLinkCount += linked.size() > line.size();
        }
    });
    std::size_t styleSize = 0;
    const double styleMs = fastestMilliseconds(runs, [&] { styleSize = deriveStylesheet(lines, false).text.size(); });

    std::printf("input %.2f MB, output %.2f MB, %zu lines (processor time, fastest of %d runs)\n",
                static_cast<double>(novel.size()) / 1048576.0,
                static_cast<double>(normalised.size()) / 1048576.0, lines.size(), runs);
    std::printf("fixEncodings (manuscript, EPUB 3): %8.2f ms\n", encodeMs);
    std::printf("fixLinks over every line:          %8.2f ms\n", linksMs);
    std::printf("deriveStylesheet:                  %8.2f ms (%zu bytes)\n", styleMs, styleSize);
    return badLinkCount == 0 ? 1 : 0;  // the fields must have been found
}
