// A manuscript holding directives and notes where a page cannot simply be
// cut (in table cells and list items, across cells and items, in and around
// links, forgotten, unnamed, right to left), built through the command line
// in a right-to-left language: every document of the book is well-formed,
// EPUBCheck accepts it, and the forgotten note reaches the author by name.

#include <gtest/gtest.h>

#include "build/Text.h"
#include "epub/WellFormed.h"
#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

using namespace quillary;
using quillary::testing::suiteSetting;

namespace {

bool isXmlDocument(const std::string& name) {
    return name.ends_with(".xhtml") || name.ends_with(".opf") || name.ends_with(".ncx") || name.ends_with(".xml");
}

std::string entry(const std::vector<quillary::testing::ArchiveEntry>& entries, const std::string& name) {
    for (const auto& e : entries) {
        if (e.name == name) return e.content;
    }
    return "<none>";
}

}  // namespace

TEST(PlacementsBook, EveryDocumentIsWellFormedAndValidAndTheForgottenNoteIsNamed) {
    quillary::testing::TestFolder folder;
    const std::string fixtures = suiteSetting("QUILLARY_FIXTURES");
    const std::string manuscript = folder.file("Book/Placements.rtf");
    folder.makeFolder("Book");
    files::copyFile(fixtures + "/books/placements/Placements.rtf", manuscript);
    files::copyFile(fixtures + "/../../examples/Lighthouse/cover.png", folder.file("Book/cover.png"));

    for (const char* version : {"--epub3", "--epub2"}) {
        SCOPED_TRACE(version);
        const std::string epub = folder.file(std::string("Out") + version + ".epub");
        std::string report;
        ASSERT_EQ(quillary::testing::runQuillary("build '" + manuscript + "' -o '" + epub + "' " + version +
                                                     " --language he --title Placements --report json",
                                                 report),
                  0);
        EXPECT_TRUE(text::contains(report, "\"noEnd\": true")) << report;
        EXPECT_TRUE(text::contains(report, "\"duplicateMarks\": false")) << report;
        EXPECT_TRUE(text::contains(report, "\"key\": \"noEndTitle\"")) << report;
        EXPECT_TRUE(text::contains(report, "note in a cell")) << report;

        const auto entries = quillary::testing::readArchive(epub);
        ASSERT_TRUE(entries);
        for (const auto& e : *entries) {
            if (isXmlDocument(e.name)) {
                EXPECT_EQ(xml::wellFormednessError(e.content), std::nullopt) << e.name;
            }
        }
        // EPUB 2 has no contents page unless the manuscript asks for one.
        const bool epub3 = std::string(version) == "--epub3";
        const std::string contents = entry(*entries, epub3 ? "OEBPS/toc.xhtml" : "OEBPS/toc.ncx");
        EXPECT_EQ(text::contains(contents, "<html dir=\"rtl\""), epub3) << contents;
        EXPECT_TRUE(text::contains(contents, ">Words of the second chapter<")) << contents;
        EXPECT_TRUE(text::contains(contents, ">&#1513;&#1500;&#1493;&#1501;<")) << contents;
        EXPECT_TRUE(text::contains(contents, ">&#1488;&#1495;&#1512;<")) << contents;
        EXPECT_EQ(text::contains(entry(*entries, "OEBPS/content.opf"), "page-progression-direction=\"rtl\""), epub3);

        const auto verdict = quillary::testing::runEpubCheck(epub);
        ASSERT_TRUE(verdict.ran);
        EXPECT_TRUE(verdict.passed) << verdict.output;
    }
    // A person reads the problem list, which names the note too.
    std::string said, errors;
    ASSERT_EQ(quillary::testing::runQuillary("build '" + manuscript + "' -o '" + folder.file("Told.epub") + "'", said,
                                             &errors),
              0);
    EXPECT_TRUE(text::contains(said + errors, "A note has no end: note in a cell")) << said << errors;
}

TEST(PlacementsBook, TheHelpPageIsWellFormed) {
    const auto page = files::readFile(suiteSetting("QUILLARY_RESOURCES") + "/help/HowToPrepare.html");
    ASSERT_TRUE(page);
    EXPECT_EQ(xml::wellFormednessError(*page), std::nullopt);
}
