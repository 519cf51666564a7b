#include <gtest/gtest.h>

#include "../sections/BookUnderTest.h"

using namespace quillary;
using namespace quillary::testing;

TEST(MarksPass, EveryMarkPointsAtTheFileHoldingItsText) {
    expectBooks({
        {.what = "a mixed book of breaks, contents and endnotes headings and empty sections",
         .body = "front|bookmark: A|#######|A text|#######|filler|bookmark: B|B text|toc: Contents|&nbsp;|"
                 "bookmark: C|C text|#######|&nbsp;|#######|bookmark: D|D text|pnh: Notes|&nbsp;|srh: E|E text",
         .sections = {"front", "A text", "filler", "B text", "C text", "D text", "E text"},
         .marks = {{"A", "section2.xhtml"}, {"B", "section4.xhtml"}, {"C", "section5.xhtml"}, {"D", "section6.xhtml"},
                   {"E", "section7.xhtml"}}},
        {.what = "endnotes and contents names are no marks",
         .body = "x|bookmark: My ENDNOTES|y|bookmark: contents|z|bookmark: Real|{{contents}} {{My ENDNOTES}}",
         .sections = {"x", "y", "z",
                      "<a href=\"section4.xhtml\">contents</a> <a href=\"section4.xhtml\">My ENDNOTES</a>"},
         .marks = {{"Real", "section4.xhtml"}}, .missing = {"contents", "My ENDNOTES"}},
        {.what = "a mark without text after it maps to the last written section", .body = "{{Tail}}|more|bookmark: Tail",
         .sections = {"<a href=\"section1.xhtml\">Tail</a>|more"}, .marks = {{"Tail", "section1.xhtml"}}},
        {.what = "a body without text keeps no mark", .body = "bookmark: Alone", .sections = {}},
        {.what = "duplicate marks are flagged and the later one wins",
         .body = "{{Twice}}|bookmark: Twice|a|bookmark: Twice|b",
         .sections = {"<a href=\"section3.xhtml\">Twice</a>", "a", "b"},
         .contents = entry3(1, 2, "Twice") + entry3(2, 3, "Twice"), .marks = {{"Twice", "section3.xhtml"}},
         .more = [](BookUnderTest& book) {
             EXPECT_TRUE(book.c().duplicateMarks);
             EXPECT_FALSE(book.run.rightToLeftMarksSeen);
         }},
    });
}

TEST(CrossReferences, ResolveAheadOfTheirMarkOrLinkMissingNamesToTheirOwnSection) {
    expectBooks({
        {.what = "resolved ahead of their mark", .body = "See {{<i>Later</i>}} and {{Later}}.|bookmark: Later|there",
         .sections = {"See <a href=\"section2.xhtml\">Later</a> and <a href=\"section2.xhtml\">Later</a>.", "there"},
         .contents = entry3(1, 2, "Later"), .marks = {{"Later", "section2.xhtml"}}},
        {.what = "without any mark they stay as typed and are not reported", .body = "See {{Nowhere}}",
         .sections = {"See {{Nowhere}}"}},
        {.what = "missing names are reported for each occurrence", .body = "a|bookmark: Here|{{Gone}} and {{Gone}}|{{Lost}}",
         .sections = {"a", "<a href=\"section2.xhtml\">Gone</a> and <a href=\"section2.xhtml\">Gone</a>|"
                           "<a href=\"section2.xhtml\">Lost</a>"},
         .contents = entry3(1, 2, "Here"), .marks = {{"Here", "section2.xhtml"}}, .missing = {"Gone", "Gone", "Lost"}},
    });
}

TEST(CrossReferences, UnclosedReferencesAndNamesHoldingBraces) {
    struct Case { std::string line, resolved, missing; };
    const Case cases[] = {
        {"<p>{{A}} then {{A and more</p>", "<p><a href=\"section2.xhtml\">A</a> then {{A and more</p>", "A and more"},
        // A name holding braces is read once.
        {"<p>{{x{{A}} {{A}}</p>", "<p><a href=\"section7.xhtml\">x{{A</a> <a href=\"section2.xhtml\">A</a></p>", "x{{A"}};
    for (const auto& [line, resolved, missing] : cases) {
        Harness h(false);
        h.c().sectionNumber = 7;
        EpubRun run;
        run.marks = {{"A", "section2.xhtml"}};
        h.c().line = line;
        h.c().resolveCrossReferences(run);
        EXPECT_EQ(h.c().line, resolved);
        EXPECT_EQ(h.c().missingMarks, std::vector<std::string>{missing});
    }
}
