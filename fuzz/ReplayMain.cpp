// Runs a fuzz target over files without libFuzzer: every file of the
// folders (or the files) named on the command line, in name order. A target
// reports a finding by aborting, which ends this program as it would end a
// fuzzing run; the input's name is printed first, so the failure names it.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path& named) {
    std::vector<fs::path> inputs;
    std::error_code error;
    if (!fs::is_directory(named, error)) return {named};
    for (const auto& entry : fs::directory_iterator(named, error))
        if (entry.is_regular_file(error)) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Whatever a target writes goes into a folder of this run's, removed at
// the end.
std::string privateTemporaryFolder() {
    const char* parent = std::getenv("TMPDIR");
    std::string pattern = std::string(parent && *parent ? parent : "/tmp") + "/fuzz-replay.XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    ::setenv("TMPDIR", pattern.c_str(), 1);
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string temporary = privateTemporaryFolder();
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : inputsOf(argv[i])) {
            std::ifstream in(input, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            std::fprintf(stderr, "%s\n", input.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::error_code ignored;
    if (!temporary.empty()) fs::remove_all(temporary, ignored);
    std::printf("%zu inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
