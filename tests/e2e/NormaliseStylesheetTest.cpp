// A real RTF manuscript through the command line: the book's stylesheet,
// the normalised text and the hyperlinks as they reach the archive.
#include <gtest/gtest.h>

#include "build/Stylesheet.h"
#include "build/Text.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

namespace quillary::testing {
namespace {

std::string entryText(const std::vector<ArchiveEntry>& entries, const std::string& name) {
    for (const auto& entry : entries)
        if (entry.name == name) return entry.content;
    return "<missing " + name + ">";
}

TEST(NormaliseStylesheetEndToEnd, ConvertedManuscriptGivesTheDerivedStylesheet) {
    TestFolder folder;
    const std::string fixture = suiteSetting("QUILLARY_FIXTURES") + "/stylesheet/hanging-indent.rtf";
    const std::string epub = folder.file("Hanging.epub");
    std::string report;
    ASSERT_EQ(runQuillary("build '" + fixture + "' -o '" + epub + "' --epub3 --report json", report), 0)
        << report;

    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entryText(*entries, "OEBPS/stylesheet.css"),
              std::string(kBaseStylesheet) +
                  "p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 70% 'Times New Roman';}\n"
                  "p.p2 {margin: 0.0px 0.0px 0.0px 36.0px; text-indent: -18.0px; font: 100% 'Times New Roman';}\n"
                  "p.p3 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 12.5px 'Times New Roman';}\n"
                  "p.p4 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 70% 'Times New Roman';}\n"
                  "span.s1 {}\n");
    EXPECT_TRUE(text::contains(report, "\"badFormatting\": true")) << report;
    EXPECT_TRUE(text::contains(report, "\"badLinks\": [\"the site\"]")) << report;

    const std::string section = entryText(*entries, "OEBPS/section1.xhtml");
    EXPECT_TRUE(text::contains(section, "text &#8211; with")) << section;
    EXPECT_TRUE(text::contains(section, "tab&#160;&#160;&#160;&#160;&#160;&#160;here")) << section;
    EXPECT_TRUE(text::contains(section, "<a href=\"www.example.com\">the site</a>")) << section;
    EXPECT_TRUE(text::contains(section, "<a href=\"https://example.org/\">the other</a>")) << section;
    EXPECT_FALSE(text::contains(section, "HYPERLINK")) << section;
}

}  // namespace
}  // namespace quillary::testing
