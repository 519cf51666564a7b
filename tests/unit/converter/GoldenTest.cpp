// The golden cases: each tests/fixtures/converter/cases/NAME.rtf (or
// NAME.docx) converts to exactly NAME.html beside it. Cases named issue-N-... are regressions.
// To accept a deliberate change, rerun the converter over the case and
// review the difference before committing it.

#include "ConverterTestSupport.h"
#include "converter/DocxReader.h"
#include "converter/HtmlWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace conv::testing {
namespace {

const std::string kFolder = setting("QUILLARY_FIXTURES") + "/converter/cases/";

Lines goldenCases() {
    Lines names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kFolder, error))
        if (entry.path().extension() == ".rtf" || entry.path().extension() == ".docx")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, ConvertsToItsExpectedHtml) {
    const std::filesystem::path source = kFolder + GetParam();
    std::string expected = readFile(std::filesystem::path(source).replace_extension(".html").string());
    ASSERT_FALSE(expected.empty()) << "no .html for " << GetParam();
    std::string actual;
    if (source.extension() == ".rtf") {
        actual = rtfToHtml(readFile(source.string()));
    } else {
        quillary::Result<Document> document = readDocx(readFile(source.string()));
        ASSERT_TRUE(document) << document.reason();
        actual = writeHtml(*document);
    }
    // Compare line by line so a failure names the first line that differs.
    Lines expectedLines = bodyLines(expected), actualLines = bodyLines(actual);
    for (std::size_t i = 0; i < std::min(expectedLines.size(), actualLines.size()); ++i)
        ASSERT_EQ(actualLines[i], expectedLines[i]) << "body line " << i + 1;
    EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(goldenCases()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST(GoldenCases, ArePresent) { EXPECT_GE(goldenCases().size(), 5u); }

}  // namespace
}  // namespace conv::testing
