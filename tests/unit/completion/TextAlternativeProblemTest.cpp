#include <gtest/gtest.h>

#include "build/Text.h"
#include "cli/Report.h"
#include "support/Harness.h"

namespace quillary::testing {

// The last kind of problem, so it shows only when nothing else went wrong.
TEST(TextAlternativeProblem, ImagesWithoutAlternativeReachTheAlertTheListAndTheJsonReport) {
    Harness english;
    english.c().imagesWithoutAlternative = {"a.png", "b.png"};
    english.c().booksComplete();
    ASSERT_EQ(english.window.alerts.size(), 1u);
    EXPECT_EQ(english.window.alerts[0].titleKey, "noAltTextTitle");
    EXPECT_TRUE(text::contains(english.window.alerts[0].message, "a.png, b.png")) << english.window.alerts[0].message;
    EXPECT_EQ(problemLines(english.c()),
              (std::vector<std::string>{"No text alternative: a.png", "No text alternative: b.png"}));
    EXPECT_TRUE(text::contains(buildReportJson(english.c(), false),
                               "\"imagesWithoutAlternative\": [\"a.png\", \"b.png\"]"));

    Harness other(false);
    other.c().imagesWithoutAlternative = {"a.png"};
    other.c().badFormatting = true;
    other.c().booksComplete();
    ASSERT_EQ(other.window.alerts.size(), 1u);
    EXPECT_EQ(other.window.alerts[0].titleKey, "negMarginsTitle");
}

}  // namespace quillary::testing
