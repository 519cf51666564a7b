// quillary-textutil: the build's document converter.
//   quillary-textutil -info FILE
//   quillary-textutil -convert html [-stdout] [-strip] FILE
// Everything goes to standard output, errors included, because the build
// reads one stream and looks for its markers there.

#include "converter/Converter.h"
#include "platform/HeapTuning.h"
#include "platform/SignalCleanup.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "Error in the command line. Usage:\n"
    "  quillary-textutil -info FILE\n"
    "  quillary-textutil -convert html [-stdout] [-strip] FILE\n";

int fail(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stdout);
    if (!message.ends_with('\n')) std::fputc('\n', stdout);
    return 1;
}

int writeOut(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    quillary::heaptuning::preferHugePages();
    // LibreOffice runs in a group of its own, on a copy of the manuscript in
    // a private folder: a build that is interrupted must end both. It keeps
    // nothing worth a grace: it is killed at once.
    quillary::signalcleanup::install(std::chrono::milliseconds(0));
    bool info = false;
    bool toStdout = false;
    std::string format;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "-info") info = true;
        else if (argument == "-convert" && i + 1 < argc) format = argv[++i];
        else if (argument == "-stdout") toStdout = true;
        else if (argument == "-strip") continue;  // accepted as the build passes it; pictures stay
        else if (file.empty()) file = argv[i];
        else return fail(kUsage), 2;
    }
    if (file.empty() || info == !format.empty()) return fail(kUsage), 2;

    if (info) {
        conv::Output outcome = conv::describeFile(file);
        return outcome ? writeOut(*outcome) : fail(outcome.reason());
    }
    if (format != "html") return fail("Error converting: only html output is supported."), 2;
    conv::Output outcome = conv::convertFileToHtml(file);
    if (!outcome) return fail(outcome.reason());
    if (toStdout) return writeOut(*outcome);

    std::string target = file.substr(0, file.rfind('.')) + ".html";
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << *outcome;
    return out ? 0 : fail("Error writing \"" + target + "\".");
}
