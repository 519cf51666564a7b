#include <gtest/gtest.h>

#include "epub/SectionBoundaries.h"

using namespace quillary;
using namespace quillary::epub;
using Lines = std::vector<std::string>;

namespace {

Lines logicalLines(const Lines& lines, int* reads = nullptr) {
    BodyReader reader(lines, [reads] { if (reads) ++*reads; });
    reader.findBody();
    Lines out;
    std::string line;
    while (reader.next(line)) out.push_back(line);
    return out;
}

}  // namespace

TEST(BodyReader, ReadsFromTheBodyTagOrTwoLinesBeforeTheEndToTheBodyEnd) {
    int reads = 0;
    EXPECT_EQ(logicalLines({"<html>", "<body>", "<p>a</p>", "<p>b</p>", "</body>", "<p>c</p>"}, &reads),
              (Lines{"<p>a</p>", "<p>b</p>"}));
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(logicalLines({"<p>1</p>", "<p>2</p>", "<p>3</p>", "<p>4</p>"}), (Lines{"<p>3</p>", "<p>4</p>"}));
    EXPECT_EQ(logicalLines({"<p>only</p>"}), (Lines{"<p>only</p>"}));
    EXPECT_TRUE(logicalLines({}).empty());
    // An unfinished last line ends the body.
    EXPECT_EQ(logicalLines({"<body>", "<p>open", "still open"}), (Lines{"<p>open<br />still open"}));
}

TEST(EmptyParagraph, OnlyAParagraphThatShowsNothing) {
    for (const char* empty : {"<p class=\"p3\">&nbsp;</p>", "<p><span>&nbsp;</span></p>", "<p class=\"p1\">&#160;</p>"})
        EXPECT_TRUE(isEmptyParagraph(empty)) << empty;
    for (const char* shown : {"<p class=\"p1\"><br /></p>", "<p>&nbsp;Text</p>", "<p><b>&nbsp;</b>Text</p>",
                              "<p><img src=\"a.png\"/><b>&nbsp;</b></p>", "<p></p>", "<p><b>&nbsp;</b>\r</p>"})
        EXPECT_FALSE(isEmptyParagraph(shown)) << shown;
}

TEST(HeadingText, AfterTheColonOrBeforeARightToLeftDirective) {
    EXPECT_EQ(headingName("<p><a href=\"http://x\">toc: Index</a></p>"), "Index");
    EXPECT_EQ(headingName("<p dir=\"rtl\">Name PNH: bookmark:</p>"), "Name PNH:");
    EXPECT_EQ(headingName("<p dir=\"rtl\">Name Pnh:</p>"), "Name");
    EXPECT_EQ(headingName("<p>#######</p>"), "");
}
