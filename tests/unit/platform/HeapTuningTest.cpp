// The build's buffers must land in heap advised for huge pages: a change to
// how the heap is grown or advised quietly brings back the page faults.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/HeapTuning.h"

namespace quillary::testing {
namespace {

// The flags ("hg" for huge pages advised) of the mapping holding `address`.
std::string mappingFlags(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long from = 0, to = 0;
        char permissions[5] = {};
        // A mapping's first line: "from-to perms offset device inode path".
        if (std::sscanf(line.c_str(), "%lx-%lx %4s ", &from, &to, permissions) == 3 &&
            std::string_view(permissions).find_first_not_of("rwxps-") == std::string_view::npos)
            inside = from <= at && at < to;
        if (inside && line.starts_with("VmFlags:")) return line;
    }
    return "";
}

TEST(HeapTuning, TheFirstLargeBuffersLandInHugePageAdvisedHeap) {
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    heaptuning::preferHugePages();
    // What a build holds first: a manuscript's part, then its pages.
    void* part = std::malloc(1400 << 10);
    void* pages = std::malloc(600 << 10);
    EXPECT_NE(mappingFlags(part).find(" hg"), std::string::npos) << mappingFlags(part);
    EXPECT_NE(mappingFlags(pages).find(" hg"), std::string::npos) << mappingFlags(pages);
    std::free(pages);
    std::free(part);
}

}  // namespace
}  // namespace quillary::testing
