// Manuscripts saved by today's word processors (.docx, .odt) become books
// through LibreOffice, their footnotes the book's endnotes.

#include <gtest/gtest.h>

#include "platform/Executables.h"
#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

using namespace quillary;
using quillary::testing::TestFolder;
using quillary::testing::suiteSetting;

namespace {

std::string entry(const std::vector<quillary::testing::ArchiveEntry>& entries, const std::string& name) {
    for (const auto& e : entries)
        if (e.name == name) return e.content;
    return {};
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(WordProcessorManuscript, DocxAndOdtFootnotesBecomeEndnotesOfAValidBook) {
    if (!findExecutableOnPath("soffice") && !findExecutableOnPath("libreoffice"))
        GTEST_SKIP() << "LibreOffice is not installed";
    const struct {
        std::string manuscript, text, note;
    } books[] = {
        {"quo_vadis_footnote.docx", "Here is the footnote.", "Line 1 of footnote. Line 2 of footnote."},
        {"footnote.odt", "This is a footnote", "test</span></aside>"},
    };
    for (const auto& [manuscript, text, note] : books) {
        SCOPED_TRACE(manuscript);
        TestFolder folder;
        const std::string path = folder.file("Book/" + manuscript);
        files::makeFolders(folder.file("Book"));
        files::copyFile(suiteSetting("QUILLARY_FIXTURES") + "/word-processors/" + manuscript, path);
        std::string out, err;
        ASSERT_EQ(quillary::testing::runQuillary("build '" + path + "' -o '" + folder.file("Book.epub") + "'", out,
                                                 &err), 0) << err;
        const auto entries = quillary::testing::readArchive(folder.file("Book.epub"));
        ASSERT_TRUE(entries);
        const std::string section = entry(*entries, "OEBPS/section1.xhtml");
        EXPECT_TRUE(contains(section, text)) << section;
        EXPECT_TRUE(contains(section, "href=\"endnotes.xhtml#ref1\">1</a>")) << section;
        EXPECT_FALSE(contains(section, "footnote.</span></p>")) << "the note stays in the text:\n" << section;
        EXPECT_TRUE(contains(entry(*entries, "OEBPS/endnotes.xhtml"), note)) << entry(*entries, "OEBPS/endnotes.xhtml");
        const auto verdict = quillary::testing::runEpubCheck(folder.file("Book.epub"));
        ASSERT_TRUE(verdict.ran);
        EXPECT_TRUE(verdict.passed) << verdict.output;
    }
}
