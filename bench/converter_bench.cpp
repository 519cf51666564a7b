// Times the RTF converter on a generated Word-style novel (2 MB and 18 MB by
// default) in process, then the quillary-textutil program on the same files
// with process start included, and any RTF files named on the command line.
// Usage: converter_bench [--textutil PATH] [FILE.rtf ...]

#include "converter/Converter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// One page of a novel as Word writes it: revision ids on every run, a
// footnote now and then, code-page escapes, Unicode with fallbacks, a field.
const char* const kParagraphs[] = {
    "\\pard\\plain \\ltrpar\\s0\\qj \\fi360\\sl360\\slmult1\\rtlch\\fcs1 \\af0\\afs24 \\ltrch\\fcs0 "
    "\\f0\\fs24\\lang2057\\insrsid1234567 {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid7654321 \\ldblquote I never "
    "said that,\\rdblquote  she answered \\endash  and the caf\\'e9 went quiet for a while. The na\\'efve "
    "answer was wrong; the right one took three more chapters to arrive.}\\par\n",
    "\\pard\\plain \\ltrpar\\s0\\qj \\fi360\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\f0\\fs24 {\\insrsid1234567 He "
    "walked the long road home past the old mill, thinking of nothing in particular and of everything, "
    "}{\\i\\insrsid1234567 as he always did}{\\insrsid1234567 , until the bells of St. Mary\\rquote s "
    "rang seven.}{\\cs15\\super\\insrsid1234567 \\chftn {\\footnote \\pard\\plain \\s16\\fs20 {\\cs15\\super "
    "\\chftn } The bells were cast in 1921.}}\\par\n",
    "\\pard\\plain \\ltrpar\\s0\\qj \\fi360\\f0\\fs24 {\\insrsid1234567 \\u1058\\'3f\\u1086\\'3f\\u1083\\'3f"
    "\\u1089\\'3f\\u1090\\'3f\\u1086\\'3f\\u1081\\'3f wrote it first, see }{\\field{\\*\\fldinst {HYPERLINK "
    "\"http://www.example.com/notes\"}}{\\fldrslt {\\cs17\\ul\\cf2 the notes}}}{\\insrsid1234567  for the "
    "map of the valley.}\\par\n",
    "\\pard\\plain \\ltrpar\\s1\\qc \\sb240\\sa120\\b\\f1\\fs32 {\\insrsid1234567 Chapter }{\\insrsid1234567 "
    "Nine}\\par\n",
};

const char* const kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}"
    "{\\f1\\fswiss\\fcharset0\\fprq2 Arial;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}"
    "{\\stylesheet{\\ql \\f0\\fs24 Normal;}{\\s1\\qc\\sb240\\sa120\\b\\f1\\fs32 heading 1;}}"
    "{\\info{\\title A Novel}{\\author Someone}}\n";

std::string makeNovel(std::size_t bytes) {
    std::string rtf = kHeader;
    rtf.reserve(bytes + 1024);
    for (std::size_t i = 0; rtf.size() < bytes; ++i) rtf += kParagraphs[i % std::size(kParagraphs)];
    rtf += "}";
    return rtf;
}

// The machine is shared, so wall time swings with other people's builds;
// CPU time (own, or the children's) is reported beside it.
struct Timing {
    double wallMs = 1e9;
    double cpuMs = 1e9;
};

double cpuMsOf(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

Timing bestOf(int runs, int who, auto&& work) {
    Timing best;
    for (int i = 0; i < runs; ++i) {
        double cpuStart = cpuMsOf(who);
        auto start = Clock::now();
        work();
        best.wallMs = std::min(best.wallMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        best.cpuMs = std::min(best.cpuMs, cpuMsOf(who) - cpuStart);
    }
    return best;
}

Timing runProgram(const std::string& textutil, const std::string& file) {
    return bestOf(5, RUSAGE_CHILDREN, [&] {
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            execl(textutil.c_str(), textutil.c_str(), "-convert", "html", "-stdout", "-strip", file.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
    });
}

void report(const std::string& name, const std::string& rtf, const std::string& textutil, const std::string& file) {
    std::size_t htmlSize = 0;
    Timing inProcess = bestOf(5, RUSAGE_SELF, [&] { htmlSize = conv::rtfToHtml(rtf).size(); });
    std::printf("%-26s %6.2f MB RTF -> %6.2f MB HTML: in process %7.1f ms (CPU %7.1f ms)", name.c_str(),
                rtf.size() / 1e6, htmlSize / 1e6, inProcess.wallMs, inProcess.cpuMs);
    if (!textutil.empty()) {
        Timing program = runProgram(textutil, file);
        std::printf(", as a program %7.1f ms (CPU %7.1f ms)", program.wallMs, program.cpuMs);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string textutil;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--textutil" && i + 1 < argc) textutil = argv[++i];
        else files.push_back(argument);
    }
    if (textutil.empty()) {
        // Beside this program in the build tree's bin/ folder.
        std::string self = argv[0];
        std::string candidate = self.substr(0, self.rfind('/') + 1) + "quillary-textutil";
        if (access(candidate.c_str(), X_OK) == 0) textutil = candidate;
    }
    for (std::size_t megabytes : {2, 18}) {
        std::string rtf = makeNovel(megabytes * 1000 * 1000);
        std::string file = "/tmp/converter_bench_" + std::to_string(getpid()) + ".rtf";
        std::ofstream(file, std::ios::binary) << rtf;
        report("novel " + std::to_string(megabytes) + " MB", rtf, textutil, file);
        std::remove(file.c_str());
    }
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        report(file.substr(file.rfind('/') + 1), rtf, textutil, file);
    }
    return 0;
}
