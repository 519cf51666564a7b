#include <gtest/gtest.h>

#include "cli/Arguments.h"
#include "cli/Report.h"

using namespace quillary;

TEST(CommandLine, BuildOptionsAreSortedOut) {
    const auto parsed = parseArguments({"build", "novel.rtf", "-o", "out/Book.epub", "--epub2", "--title",
                                        "War: Peace", "--isbn", "97-8", "--date", "2013-03-01", "--language",
                                        "de", "--report", "json"});
    ASSERT_TRUE(parsed.command) << parsed.error;
    const BuildOptions& o = parsed.command->build;
    EXPECT_EQ(o.manuscript, "novel.rtf");
    EXPECT_EQ(o.output, "out/Book.epub");
    EXPECT_EQ(o.epub3, std::optional<bool>(false));
    EXPECT_EQ(o.title, std::optional<std::string>("War: Peace"));
    EXPECT_EQ(o.isbn, std::optional<std::string>("97-8"));
    EXPECT_EQ(o.date, (std::optional<CivilDate>(CivilDate{2013, 3, 1})));
    EXPECT_EQ(o.language, std::optional<int>(7));
    EXPECT_TRUE(o.jsonReport);
}

TEST(CommandLine, LanguagesByCodeNameOrIndex) {
    EXPECT_EQ(parseLanguageOption("he"), std::optional<int>(9));
    EXPECT_EQ(parseLanguageOption("Japanese"), std::optional<int>(11));
    EXPECT_EQ(parseLanguageOption("19"), std::optional<int>(19));
    EXPECT_FALSE(parseLanguageOption("20"));
    EXPECT_FALSE(parseLanguageOption("xx"));
}

TEST(CommandLine, MistakesAreUsageErrorsWithAReason) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"build"}, {"build", "a.rtf", "b.rtf"}, {"build", "a.rtf", "--title"},
             {"build", "a.rtf", "--date", "March 1"}, {"build", "a.rtf", "--report", "xml"},
             {"build", "a.rtf", "--kindle", "--epub3"}, {"build", "a.rtf", "--bogus"},
             {"install-kindlegen"}}) {
        const auto parsed = parseArguments(words);
        EXPECT_FALSE(parsed.command);
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(CommandLine, JsonStringsEscapeWhatJsonRequires) {
    EXPECT_EQ(jsonString("a\"b\\c\nd\te\x01 \xC3\xA9"), "\"a\\\"b\\\\c\\nd\\te\\u0001 \xC3\xA9\"");
}
