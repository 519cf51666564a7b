// Replays the fuzzer's seeds and every finding kept in fuzz/regressions:
// each must convert to a page with its body frame intact.

#include "ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace conv::testing {
namespace {

TEST(FuzzInputs, SeedsAndRegressionsConvert) {
    std::filesystem::path fuzz = setting("QUILLARY_FIXTURES") + "/../../fuzz";
    std::size_t replayed = 0;
    for (const char* folder : {"seeds", "regressions"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder, error)) {
            std::string html = rtfToHtml(readFile(entry.path().string()));
            EXPECT_NE(html.find("\n<body>\n"), std::string::npos) << entry.path();
            EXPECT_TRUE(html.ends_with("\n</body>\n</html>\n")) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u) << "no fuzz inputs under " << fuzz;
}

}  // namespace
}  // namespace conv::testing
