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
        BookUnderTest book;
        package::Assembly& assembly = book.prepare();
        assembly.sectionNumber = 7;
        assembly.marks = {{"A", "section2.xhtml"}};
        assembly.line = line;
        assembly.resolveCrossReferences();
        EXPECT_EQ(assembly.line, resolved);
        EXPECT_EQ(book.problems.missingMarks, std::vector<std::string>{missing});
    }
}
