// Where the endnotes document goes in a whole sections pass.
#include <gtest/gtest.h>

#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;
using quillary::testing::Harness;

namespace {

struct Pass {
    Harness h{false};
    VoveZedevir& c = h.c();
    EpubRun run;

    Pass(bool epub3, const std::vector<std::string>& body) {
        h.preferences.setBool(prefs::kEpub3, epub3);
        c.tempDirectoryPath = h.folder.makeFolder("epub");
        h.folder.makeFolder("epub/OEBPS/images");
        h.folder.makeFolder("epub/OEBPS/media");
        c.root = h.folder.makeFolder("manuscript");
        c.bookInfo = {"Book", "", "", "", "", "", "", "0"};
        c.lines = {"<html>", "<body>"};
        c.lines.insert(c.lines.end(), body.begin(), body.end());
        c.lines.push_back("</body>");
        c.lines.push_back("</html>");
        run.images = {"cover.png"};
        run.endnotesTitle = "EndnotesTitle";
        c.sectionsPass(run);
    }
    std::string file(const std::string& name) const {
        return files::readFile(c.tempDirectoryPath + "/OEBPS/" + name).value_or("<none>");
    }
    bool has(const std::string& name) const { return files::exists(c.tempDirectoryPath + "/OEBPS/" + name); }
};

const char* const kEndnotesItem =
    "    <item id=\"endnotes\" href=\"endnotes.xhtml\" media-type=\"application/xhtml+xml\"/>\n";

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(EndnotesPlacement, WithoutAHeadingTheNotesFollowTheLastSection) {
    Pass p(false, {"<p>A&lt;&lt;one&gt;&gt; end.</p>", "<p>bookmark: Two</p>", "<p>B&lt;&lt;two&gt;&gt;</p>"});
    EXPECT_EQ(p.c.spine, "    <itemref idref=\"section1\"/>\n    <itemref idref=\"section2\"/>\n"
                         "    <itemref idref=\"endnotes\"/>\n");
    EXPECT_NE(p.c.navmap.rfind("<content src=\"endnotes.xhtml\"/>"), std::string::npos);
    EXPECT_EQ(p.c.navmap.substr(p.c.navmap.rfind("<content")), "<content src=\"endnotes.xhtml\"/>\n    </navPoint>\n");
    const std::string notes = p.file("endnotes.xhtml");
    EXPECT_NE(notes.find("1. one <a href=\"section1.xhtml#ref1\">"), std::string::npos) << notes;
    EXPECT_NE(notes.find("2. two <a href=\"section2.xhtml#ref2\">"), std::string::npos) << notes;
    EXPECT_NE(p.file("section2.xhtml").find("id=\"ref2\" href=\"endnotes.xhtml#ref2\""), std::string::npos);
    EXPECT_EQ(p.c.noteNumber, 0);
}

TEST(EndnotesPlacement, MarksAfterTheHeadingStayAsTyped) {
    Pass p(true, {"<p>A&lt;&lt;one&gt;&gt;</p>", "<p>pnh: Notes</p>", "<p>B&lt;&lt;two&gt;&gt;</p>",
                  "<p>pnh: More</p>"});
    EXPECT_NE(p.file("endnotes.xhtml").find("<b>Notes</b>"), std::string::npos);
    EXPECT_NE(p.file("endnotes.xhtml").find(">one</aside>"), std::string::npos);
    EXPECT_NE(p.file("section2.xhtml").find("B&lt;&lt;two&gt;&gt;"), std::string::npos);
    EXPECT_EQ(occurrences(p.c.manifest, kEndnotesItem), 1u);
    EXPECT_EQ(occurrences(p.c.spine, "endnotes"), 1u);
}

TEST(EndnotesPlacement, AHeadingBeforeAnyNoteGivesAnEmptyDocument) {
    Pass p(false, {"<p>Start.</p>", "<p>pnh: Notes</p>", "<p>B&lt;&lt;two&gt;&gt;</p>"});
    const std::string notes = p.file("endnotes.xhtml");
    EXPECT_NE(notes.find("<b>Notes</b><br /><br /></p>\n</body>"), std::string::npos) << notes;
    EXPECT_NE(p.file("section2.xhtml").find("B&lt;&lt;two&gt;&gt;"), std::string::npos);
}

TEST(EndnotesPlacement, NoNotesAndNoHeadingMeanNoDocument) {
    Pass p(false, {"<p>Plain &lt;&lt;&lt; text.</p>"});
    EXPECT_FALSE(p.has("endnotes.xhtml"));
    EXPECT_EQ(p.c.manifest.find("endnotes"), std::string::npos);
    EXPECT_NE(p.file("section1.xhtml").find("Plain &lt;&lt;&lt; text."), std::string::npos);
}

TEST(EndnotesPlacement, ANoteThatNeverClosesEndsTheBookNormally) {
    Pass p(false, {"<p>A&lt;&lt;one</p>", "<p>bookmark: Two</p>", "<p>three</p>"});
    EXPECT_TRUE(p.has("section1.xhtml"));
    EXPECT_FALSE(p.has("section2.xhtml"));
    const std::string notes = p.file("endnotes.xhtml");
    EXPECT_NE(notes.find("1. one<p>bookmark: Two</p><p>three <a href=\"section1.xhtml#ref1\">&#8617;</a></p>"),
              std::string::npos)
        << notes;
    EXPECT_EQ(notes.find("</body>"), notes.rfind("</body>"));
}
