#include <gtest/gtest.h>

#include "epub/SectionBoundaries.h"

using namespace quillary;

namespace {

std::vector<std::string> logicalLines(const std::vector<std::string>& lines, int* reads = nullptr) {
    std::atomic<std::int64_t> position{0};
    BodyReader reader(lines, position, [reads] { if (reads) ++*reads; });
    reader.findBody();
    std::vector<std::string> out;
    std::string line;
    while (reader.next(line)) out.push_back(line);
    return out;
}

}  // namespace

TEST(BodyReader, StartsAfterTheBodyTagAndStopsAtItsEnd) {
    int reads = 0;
    EXPECT_EQ(logicalLines({"<html>", "<body>", "<p>a</p>", "<p>b</p>", "</body>", "<p>c</p>"}, &reads),
              (std::vector<std::string>{"<p>a</p>", "<p>b</p>"}));
    EXPECT_EQ(reads, 3);
}

TEST(BodyReader, WithoutABodyTagStartsTwoLinesBeforeTheEnd) {
    EXPECT_EQ(logicalLines({"<p>1</p>", "<p>2</p>", "<p>3</p>", "<p>4</p>"}),
              (std::vector<std::string>{"<p>3</p>", "<p>4</p>"}));
    EXPECT_EQ(logicalLines({"<p>only</p>"}), (std::vector<std::string>{"<p>only</p>"}));
    EXPECT_TRUE(logicalLines({}).empty());
}

TEST(BodyReader, UnfinishedLastLineEndsTheBody) {
    EXPECT_EQ(logicalLines({"<body>", "<p>open", "still open"}),
              (std::vector<std::string>{"<p>open<br />still open"}));
}

TEST(EmptyParagraph, OnlyAParagraphThatShowsNothing) {
    EXPECT_TRUE(isEmptyParagraph("<p class=\"p3\">&nbsp;</p>"));
    EXPECT_TRUE(isEmptyParagraph("<p><span>&nbsp;</span></p>"));
    EXPECT_TRUE(isEmptyParagraph("<p class=\"p1\">&#160;</p>"));
    EXPECT_FALSE(isEmptyParagraph("<p class=\"p1\"><br /></p>"));
    EXPECT_FALSE(isEmptyParagraph("<p>&nbsp;Text</p>"));
    EXPECT_FALSE(isEmptyParagraph("<p><b>&nbsp;</b>Text</p>"));
    EXPECT_FALSE(isEmptyParagraph("<p><img src=\"a.png\"/><b>&nbsp;</b></p>"));
    EXPECT_FALSE(isEmptyParagraph("<p></p>"));
    EXPECT_FALSE(isEmptyParagraph("<p><b>&nbsp;</b>\r</p>"));
}

TEST(HeadingText, AfterTheColonOrBeforeARightToLeftDirective) {
    EXPECT_EQ(headingName("<p><a href=\"http://x\">toc: Index</a></p>"), "Index");
    EXPECT_EQ(headingName("<p dir=\"rtl\">Name PNH: bookmark:</p>"), "Name PNH:");
    EXPECT_EQ(headingName("<p dir=\"rtl\">Name Pnh:</p>"), "Name");
    EXPECT_EQ(headingName("<p>#######</p>"), "");
}
