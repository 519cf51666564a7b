#include <gtest/gtest.h>

#include "cli/Arguments.h"
#include "cli/Report.h"

using namespace quillary;
using namespace quillary::cli;

// Title, ISBN, a language code, -o and --report json reach a real book in
// the end-to-end tests, as do build's own help and a build without a
// manuscript; the date and --epub2 are checked here.
TEST(CommandLine, LanguagesByNameOrIndexTheDateAndEpub2) {
    EXPECT_EQ(parseLanguageOption("Japanese"), std::optional<std::string>("11"));
    EXPECT_EQ(parseLanguageOption("19"), std::optional<std::string>("19"));
    EXPECT_EQ(parseLanguageOption("FR"), std::optional<std::string>("6"));
    EXPECT_EQ(parseLanguageOption("pt-br"), std::optional<std::string>("pt-BR"));
    EXPECT_FALSE(parseLanguageOption("20"));
    const auto parsed = parseArguments({"build", "novel.rtf", "--date", "2013-03-01", "--epub2"});
    ASSERT_TRUE(parsed) << parsed.reason();
    EXPECT_EQ(parsed->build.date, (std::optional<CivilDate>(CivilDate{2013, 3, 1})));
    EXPECT_EQ(parsed->build.epub3, std::optional<bool>(false));
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
    const auto dashed = parseArguments({"build", "--", "-draft.rtf"});
    ASSERT_TRUE(dashed) << dashed.reason();
    EXPECT_EQ(dashed->build.manuscript, "-draft.rtf");
}

TEST(CommandLine, MistakesAreUsageErrorsWithAReason) {
    const struct {
        std::vector<std::string> words;
        std::string reason;
    } cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command"},
        {{"build", "a.rtf", "b.rtf"}, "more than one"},
        {{"build", "a.rtf", "--title"}, "needs a value"},
        {{"build", "a.rtf", "--date", "March 1"}, "YYYY-MM-DD"},
        {{"build", "a.rtf", "--date", "2025-02-30"}, "2025-02-30 is not a valid date"},
        {{"build", "a.rtf", "--language", "en_GB"},
         "en, ar, zh, da, nl, fi, fr, de, el, he, it, ja, ko, no, pl, pt, ru, es, sv, tr"},
        {{"build", "a.rtf", "--report", "xml"}, "json"},
        {{"build", "a.rtf", "--kindle", "--epub3"}, "--epub3"},
        {{"build", "a.rtf", "--bogus"}, "--bogus"},
        {{"install-kindlegen"}, "FILE"},
    };
    for (const auto& [words, reason] : cases) {
        const auto parsed = parseArguments(words);
        ASSERT_FALSE(parsed) << reason;
        EXPECT_NE(parsed.reason().find(reason), std::string::npos) << parsed.reason();
    }
}

TEST(CommandLine, JsonStringsAreValidUtf8Json) {
    EXPECT_EQ(jsonString("a\"b\\c\nd\te\x01 \xC3\xA9"), "\"a\\\"b\\\\c\\nd\\te\\u0001 \xC3\xA9\"");
    // A Latin-1 file name, a truncated sequence, a stray continuation byte.
    EXPECT_EQ(jsonString("Caf\xE9.rtf \xE2\x82 \x80"), "\"Caf\\u00e9.rtf \\u00e2\\u0082 \\u0080\"");
}
