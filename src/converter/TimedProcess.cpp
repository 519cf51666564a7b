#include "converter/TimedProcess.h"

#include "platform/ChildProcess.h"
#include "platform/SafeFile.h"

#include <cstdio>
#include <cstring>

namespace conv {

namespace {

// Enough of its output to show LibreOffice's own complaint, not so much that
// it buries the message that carries it.
constexpr std::size_t kTailLines = 3;
constexpr std::size_t kTailCharacters = 400;
// What is kept of its output to find those lines in.
constexpr std::size_t kKeptOutput = 64 * 1024;

std::string formatDuration(std::chrono::milliseconds limit) {
    if (limit.count() % 60000 == 0) {
        const long long minutes = limit.count() / 60000;
        return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
    }
    char text[32];
    std::snprintf(text, sizeof text, "%g seconds", static_cast<double>(limit.count()) / 1000.0);
    return text;
}

}  // namespace

ProcessEnd runWithLimits(const std::vector<std::string>& arguments, const ProcessLimits& limits) {
    quillary::ChildEnd end = quillary::runChild(
        {.arguments = arguments,
         .workingFolder = {},
         .limits = {.time = limits.time, .outputBytes = kKeptOutput, .addressSpace = limits.addressSpace},
         .endLeftovers = true});
    ProcessEnd result{ProcessEnd::How::NotStarted, end.code, std::move(end.output)};
    switch (end.how) {
        case quillary::ChildEnd::How::NotStarted: return result;
        case quillary::ChildEnd::How::TimedOut: result.how = ProcessEnd::How::TimedOut; return result;
        // Never asked for here: the converter is stopped by a signal, which ends the run itself.
        case quillary::ChildEnd::How::Stopped: result.how = ProcessEnd::How::Signalled; return result;
        case quillary::ChildEnd::How::Signalled: result.how = ProcessEnd::How::Signalled; break;
        case quillary::ChildEnd::How::Exited: result.how = ProcessEnd::How::Exited; break;
    }
    // A program whose memory was refused rarely says so before it crashes.
    // Its resident memory falls short of its address space (libraries
    // mapped, memory reserved and never touched; LibreOffice's is about
    // seven tenths of it), but a crash with half the limit held is put down
    // to the limit, where an ordinary failure holds a fraction of it.
    if (!result.succeeded() && limits.addressSpace > 0 && end.peakResidentBytes >= limits.addressSpace / 2)
        result.how = ProcessEnd::How::OutOfMemory;
    return result;
}

std::string describeEnd(const ProcessEnd& end, const ProcessLimits& limits) {
    switch (end.how) {
        case ProcessEnd::How::Exited: return "exited with status " + std::to_string(end.code);
        case ProcessEnd::How::Signalled: return "was stopped by signal " + std::to_string(end.code);
        case ProcessEnd::How::TimedOut: return "took longer than " + formatDuration(limits.time) + " and was stopped";
        case ProcessEnd::How::OutOfMemory:
            return "needed more than " + quillary::safefile::describeSize(limits.addressSpace) + " of memory";
        case ProcessEnd::How::NotStarted: break;
    }
    return "could not be started (" + std::string(std::strerror(end.code)) + ")";
}

std::string lastLines(const std::string& output) {
    std::string tail;
    std::size_t lines = 0;
    std::size_t end = output.size();
    while (end > 0 && lines < kTailLines) {
        std::size_t start = output.find_last_of("\r\n", end - 1);
        start = start == std::string::npos ? 0 : start + 1;
        std::string line = output.substr(start, end - start);
        end = start > 0 ? start - 1 : 0;
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        tail = tail.empty() ? line : line + " / " + tail;
        ++lines;
    }
    if (tail.size() > kTailCharacters) {
        std::size_t cut = tail.size() - kTailCharacters;
        while (cut < tail.size() && (static_cast<unsigned char>(tail[cut]) & 0xC0) == 0x80) ++cut;
        tail = "..." + tail.substr(cut);
    }
    return tail;
}

}  // namespace conv
