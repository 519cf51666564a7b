#include <gtest/gtest.h>

#include "../sections/BookUnderTest.h"

using namespace quillary;
using namespace quillary::testing;

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
