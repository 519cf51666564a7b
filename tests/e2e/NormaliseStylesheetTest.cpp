// A real RTF manuscript through the command line: the book's stylesheet,
// the normalised text and the hyperlinks as they reach the archive.
#include <gtest/gtest.h>

#include "build/Stylesheet.h"
#include "build/Text.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

namespace quillary::testing {
namespace {

TEST(NormaliseStylesheetEndToEnd, ConvertedManuscriptGivesTheDerivedStylesheet) {
    TestFolder folder;
    const std::string fixture = suiteSetting("QUILLARY_FIXTURES") + "/stylesheet/hanging-indent.rtf";
    const std::string epub = folder.file("Hanging.epub");
    std::string report;
    ASSERT_EQ(runQuillary("build '" + fixture + "' -o '" + epub + "' --epub3 --report json", report), 0)
        << report;
    EXPECT_TRUE(text::contains(report, "\"badFormatting\": true")) << report;
    EXPECT_TRUE(text::contains(report, "\"badLinks\": [\"the site\"]")) << report;

    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries);
    auto entryText = [&](const std::string& name) {
        for (const auto& entry : *entries)
            if (entry.name == name) return entry.content;
        return "<missing " + name + ">";
    };
    EXPECT_EQ(entryText("OEBPS/stylesheet.css"),
              std::string(kBaseStylesheet) +
                  "p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 70% 'Times New Roman';}\n"
                  "p.p2 {margin: 0.0px 0.0px 0.0px 36.0px; text-indent: -18.0px; font: 100% 'Times New Roman';}\n"
                  "p.p3 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 12.5px 'Times New Roman';}\n"
                  "p.p4 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 70% 'Times New Roman';}\n"
                  "span.s1 {}\n");
    const std::string section = entryText("OEBPS/section1.xhtml");
    for (const char* normalised : {"text &#8211; with", "tab&#160;&#160;&#160;&#160;&#160;&#160;here",
                                   "<a href=\"www.example.com\">the site</a>",
                                   "<a href=\"https://example.org/\">the other</a>"})
        EXPECT_TRUE(text::contains(section, normalised)) << normalised << " in " << section;
    EXPECT_FALSE(text::contains(section, "HYPERLINK")) << section;
}

}  // namespace
}  // namespace quillary::testing
