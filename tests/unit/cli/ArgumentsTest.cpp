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

TEST(CommandLine, DoubleDashEndsTheOptionsAndBuildHasItsOwnHelp) {
    const auto dashed = parseArguments({"build", "--", "-draft.rtf"});
    ASSERT_TRUE(dashed.command) << dashed.error;
    EXPECT_EQ(dashed.command->build.manuscript, "-draft.rtf");
    const auto help = parseArguments({"build", "--help"});
    ASSERT_TRUE(help.command) << help.error;
    EXPECT_EQ(help.command->kind, CommandKind::BuildHelp);
}

TEST(CommandLine, MistakesAreUsageErrorsWithAReason) {
    const struct {
        std::vector<std::string> words;
        std::string reason;
    } cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command"},
        {{"build"}, "MANUSCRIPT"},
        {{"build", "a.rtf", "b.rtf"}, "more than one"},
        {{"build", "a.rtf", "--title"}, "needs a value"},
        {{"build", "a.rtf", "--date", "March 1"}, "YYYY-MM-DD"},
        {{"build", "a.rtf", "--date", "2025-02-30"}, "2025-02-30 is not a valid date"},
        {{"build", "a.rtf", "--language", "xx"},
         "en, ar, zh, da, nl, fi, fr, de, el, he, it, ja, ko, no, pl, pt, ru, es, sv, tr"},
        {{"build", "a.rtf", "--report", "xml"}, "json"},
        {{"build", "a.rtf", "--kindle", "--epub3"}, "--epub3"},
        {{"build", "a.rtf", "--bogus"}, "--bogus"},
        {{"install-kindlegen"}, "FILE"},
    };
    for (const auto& [words, reason] : cases) {
        const auto parsed = parseArguments(words);
        EXPECT_FALSE(parsed.command) << reason;
        EXPECT_NE(parsed.error.find(reason), std::string::npos) << parsed.error;
    }
}

TEST(CommandLine, JsonStringsAreValidUtf8Json) {
    EXPECT_EQ(jsonString("a\"b\\c\nd\te\x01 \xC3\xA9"), "\"a\\\"b\\\\c\\nd\\te\\u0001 \xC3\xA9\"");
    // A Latin-1 file name, a truncated sequence, a stray continuation byte.
    EXPECT_EQ(jsonString("Caf\xE9.rtf \xE2\x82 \x80"), "\"Caf\\u00e9.rtf \\u00e2\\u0082 \\u0080\"");
}
