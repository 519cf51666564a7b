#include <clocale>
#include <cstdio>
#include <new>
#include <system_error>

#include "cli/Application.h"
#include "platform/HeapTuning.h"
#include "platform/SignalCleanup.h"

int main(int argc, char** argv) {
    quillary::heaptuning::preferHugePages();
    std::setlocale(LC_ALL, "");
    quillary::signalcleanup::install(quillary::signalcleanup::kBuildGrace);
    try {
        return quillary::cli::runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        std::fputs("quillary: there is not enough memory to go on\n", stderr);
        return 1;
    } catch (const std::system_error& error) {
        // The machine at one of its limits (processes, threads, memory).
        std::fprintf(stderr, "quillary: the system refused to go on: %s\n", error.what());
        return 1;
    }
}
