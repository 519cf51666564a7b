#include <gtest/gtest.h>

#include <filesystem>

#include "BookOracle.h"
#include "app/BuildResources.h"
#include "platform/Files.h"
#include "support/TestFolder.h"

using namespace quillary;
using namespace quillary::epub;
using quillary::testing::suiteSetting;

// Replays the book fuzzer's seeds and every finding kept in fuzz/regressions
// through its oracle: each book's pages, package document and NCX must be
// well-formed, so a fixed finding stays fixed without clang.
TEST(BookFuzzInputs, EveryBookOfTheSeedsAndRegressionsIsWellFormed) {
    const auto epub2 = app::loadTemplates(suiteSetting("QUILLARY_RESOURCES"), false);
    const auto epub3 = app::loadTemplates(suiteSetting("QUILLARY_RESOURCES"), true);
    ASSERT_TRUE(epub2 && epub3);
    const std::filesystem::path fuzz = suiteSetting("QUILLARY_FIXTURES") + "/../../fuzz";
    std::size_t replayed = 0;
    for (const char* kept : {"seeds", "regressions"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / kept, error)) {
            const auto manuscript = files::readFile(entry.path().string());
            ASSERT_TRUE(manuscript) << entry.path();
            EXPECT_EQ(fuzzing::illFormedDocument(*manuscript, *epub2, *epub3), std::nullopt) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u) << "no fuzz inputs under " << fuzz;
}
