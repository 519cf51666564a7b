// Link fields are checked over the cases written as data in
// tests/fixtures/normalise/links.txt (its head says how they are written).

#include <gtest/gtest.h>

#include "base/Text.h"
#include "manuscript/Normalise.h"
#include "platform/Files.h"
#include "support/TestFolder.h"

using namespace quillary;
using namespace quillary::manuscript;

TEST(FixLinks, FieldsBecomeLinksAndTargetsWithoutSchemeOrHostAreReported) {
    struct Case {
        std::string line;
        std::optional<std::string> linked;
        std::vector<std::string> bad;
    };
    const auto cases = files::readFile(quillary::testing::suiteSetting("QUILLARY_FIXTURES") + "/normalise/links.txt");
    ASSERT_TRUE(cases);
    std::vector<Case> read;
    for (const std::string& line : text::split(*cases, "\n")) {
        const std::size_t colon = line.find(": ");
        if (line.starts_with("#") || colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
        if (key == "line") read.push_back({value, std::nullopt, {}});
        else if (key == "linked") read.back().linked = value;
        else if (key == "bad") read.back().bad.push_back(value);
        else ADD_FAILURE() << "unknown line " << line;
    }
    ASSERT_GE(read.size(), 19u);
    for (const auto& [line, linked, expectedBad] : read) {
        std::vector<std::string> bad;
        EXPECT_EQ(fixLinks(line, bad), linked.value_or(line));
        EXPECT_EQ(bad, expectedBad) << line;
    }
}
