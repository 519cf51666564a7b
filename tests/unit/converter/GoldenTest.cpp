// The golden cases: each tests/fixtures/converter/cases/NAME.rtf converts to
// exactly NAME.html beside it. Cases named issue-N-... are regressions.
// To accept a deliberate change, rerun the converter over the case and
// review the difference before committing it.

#include "ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace conv::testing {
namespace {

std::vector<std::string> goldenCases() {
    std::vector<std::string> names;
    std::filesystem::path folder = setting("QUILLARY_FIXTURES") + "/converter/cases";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".rtf") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, ConvertsToItsExpectedHtml) {
    std::string folder = setting("QUILLARY_FIXTURES") + "/converter/cases/";
    std::string expected = readFile(folder + GetParam() + ".html");
    ASSERT_FALSE(expected.empty()) << "no " << GetParam() << ".html";
    std::string actual = rtfToHtml(readFile(folder + GetParam() + ".rtf"));
    // Compare line by line so a failure names the first line that differs.
    std::vector<std::string> expectedLines = bodyLines(expected), actualLines = bodyLines(actual);
    for (std::size_t i = 0; i < std::min(expectedLines.size(), actualLines.size()); ++i)
        ASSERT_EQ(actualLines[i], expectedLines[i]) << "body line " << i + 1;
    EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name;
                             for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(GoldenCases, ArePresent) { EXPECT_GE(goldenCases().size(), 5u); }

}  // namespace
}  // namespace conv::testing
