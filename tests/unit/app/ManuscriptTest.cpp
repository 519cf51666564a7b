#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/BookInformation.h"
#include "app/ManuscriptTypes.h"
#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;
using namespace quillary::testing;

TEST(BookInformationReading, LinesFillTheirEntriesByNumberWhateverSeparatorEndsThem) {
    const std::pair<const char*, BookInfo> cases[] = {
        {"Title\r\n  \t\r\nPublisher \t\rCopyright\n2013-03-01\n\nGenre\n3\nninth\n",
         {"Title", "", "Publisher", "Copyright", "2013-03-01", "", "Genre", "3"}},
        {"\nAuthor\nPublisher", {"Folder", "Author", "Publisher", "", "", "", "", "0"}},
        {"a\xE2\x80\xA8" "b\xC2\x85" "c\fd", {"a", "b", "c", "d", "", "", "", "0"}}};
    for (const auto& [text, expected] : cases) {
        BookInfo info{.title = "Folder"};
        applyBookInformation(text, info);
        EXPECT_EQ(info, expected) << text;
    }
}

TEST(BookInformationReading, DatesParseOnlyInTheirOwnPatternAndLanguagesNeverPastTheTable) {
    for (const char* date : {"March 1", "01/03/2013", "2013-02-30", "2013-03-01x", "2013-02-29"})
        EXPECT_FALSE(parsePublicationDate(date)) << date;
    EXPECT_EQ(parsePublicationDate("2013-3-1"), (CivilDate{2013, 3, 1}));
    EXPECT_EQ(parsePublicationDate("2012-02-29"), (CivilDate{2012, 2, 29}));
    const std::pair<const char*, int> languages[] = {{" 3x", 3}, {"19", 19}, {"20", 0}, {"x3", 0},
                                                     {"99999999999999999999", 0}};
    for (const auto& [text, index] : languages) EXPECT_EQ(parseLanguageIndex(text), index) << text;
}

TEST(BookInformationReading, EncodingsAreDetected) {
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF" "Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(decodeTextFile("Caf\xE9 \x93q\x94"), "Caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D");
    EXPECT_EQ(decodeTextFile(std::string("\xFF\xFE" "C\0\xE9\0", 6)), "C\xC3\xA9");
}

namespace {

struct Manuscript : ::testing::Test {
    Harness h{false};
    VoveZedevir& c = h.c();
    std::string manuscript;

    void SetUp() override { manuscript = h.folder.write("Books/Novel/Novel.doc", "x"); }
    void storeInfo(const std::string& text) {
        h.folder.write("xdg-data/Quillary/NovelInfo.txt", text);
    }
};

}  // namespace

TEST_F(Manuscript, StoredInformationFillsTheWindow) {
    storeInfo("\nAnn\nPub\nCopy\n2013-03-01\n978-1\nSF\n3x");
    EXPECT_TRUE(c.openFile(manuscript));
    EXPECT_EQ(c.root, h.folder.file("Books/Novel"));
    EXPECT_EQ(h.window.fieldText(BookField::Title), "Novel");  // blank line 1: the folder's name
    EXPECT_EQ(h.window.fieldText(BookField::Author), "Ann");
    EXPECT_EQ(h.window.fieldText(BookField::Isbn), "978-1");
    EXPECT_EQ(h.window.fieldText(BookField::Genre), "SF");
    EXPECT_EQ(h.window.pubDate(), (CivilDate{2013, 3, 1}));
    EXPECT_EQ(h.window.languageIndex(), 3);
    EXPECT_EQ(h.window.manuscriptLocation(), "Novel.doc");
    EXPECT_TRUE(h.window.makeEnabled);
}

TEST_F(Manuscript, LineBreaksTypedIntoAFieldDoNotShiftTheStoredLines) {
    c.openFile(manuscript);
    h.window.setFieldText(BookField::Title, "Part one\nPart two\r\nand\rthree\xE2\x80\xA8" "four");
    h.window.setFieldText(BookField::Author, "Ann");
    h.window.setFieldText(BookField::Genre, "\nSF\n");
    h.window.setPubDate({2013, 3, 1});
    c.savePanelEndedWithName("Novel.epub", h.folder.file("Books/Novel"), 1);
    EXPECT_EQ(c.request->bookInfo.title, "Part one Part two and three four");
    EXPECT_EQ(files::readFile(h.folder.file("xdg-data/Quillary/NovelInfo.txt")),
              std::optional<std::string>("Part one Part two and three four\nAnn\nNo Publisher\nNo Copyright\n"
                                         "2013-03-01\n\nSF\n0"));
}

TEST_F(Manuscript, BookInfoInTheManuscriptsFolderIsTheFallback) {
    h.folder.write("Books/Novel/bookInfo.txt", "From the folder");
    storeInfo("");  // empty: counts as none
    c.openFile(manuscript);
    EXPECT_EQ(h.window.fieldText(BookField::Title), "From the folder");
}

TEST_F(Manuscript, FirstManuscriptWithoutInformationKeepsWhatWasTyped) {
    h.window.setFieldText(BookField::Author, "Typed");
    c.openFile(manuscript);
    EXPECT_EQ(h.window.fieldText(BookField::Author), "Typed");
    // A second manuscript without information resets the fields.
    const std::string second = h.folder.write("Books/Other/Other.rtf", "x");
    c.openFile(second);
    EXPECT_EQ(h.window.fieldText(BookField::Author), "");
    EXPECT_EQ(h.window.fieldText(BookField::Title), "Other");
    EXPECT_EQ(h.window.languageIndex(), 0);
}

TEST_F(Manuscript, CoverPreviewPrefersPngThenJpgThenTheIcon) {
    c.openFile(manuscript);
    EXPECT_EQ(h.window.coverPreview, "");
    h.folder.write("Books/Novel/cover.jpg", "j");
    c.openFile(manuscript);
    EXPECT_EQ(h.window.coverPreview, h.folder.file("Books/Novel/cover.jpg"));
    h.folder.write("Books/Novel/cover.png", "p");
    c.openFile(manuscript);
    EXPECT_EQ(h.window.coverPreview, h.folder.file("Books/Novel/cover.png"));
}

TEST_F(Manuscript, OnlyExactLowerCaseExtensionsAreManuscripts) {
    const std::pair<const char*, bool> names[] = {
        {"Novel.DOC", false}, {"Novel.Docx", false}, {"Novel.ODT", false}, {"kindlegen.zip", false},
        {"Novel.docx", true}, {"Novel.odt", true},   {"Novel.rtf", true}};
    for (const auto& [name, accepted] : names) {
        const std::string path = h.folder.write(name, "x");
        EXPECT_EQ(c.openFile(path), accepted) << name;
        EXPECT_EQ(c.theFile == path, accepted) << name;
    }
}

TEST_F(Manuscript, OpenPanelRemembersTheFolderAboveTheManuscriptsFolder) {
    h.preferences.setString(prefs::kParentDirectory, "~/Documents");
    c.selectManuscript();
    ASSERT_EQ(h.window.openPanels.size(), 1u);
    EXPECT_EQ(h.window.openPanels[0].directory, h.folder.path() + "/home/Documents");
    EXPECT_EQ(h.window.openPanels[0].allowedTypes, kManuscriptExtensions);
    h.window.pendingOpen(1, manuscript);
    EXPECT_EQ(h.preferences.stringForKey(prefs::kParentDirectory), h.folder.file("Books"));
    EXPECT_EQ(c.theFile, manuscript);
}

TEST_F(Manuscript, KindlegenIsInstalledExecutableButNotWorldWritable) {
    const std::string dropped = h.folder.write("Downloads/kindlegen", "#!/bin/sh\necho V2.9\n");
    ASSERT_FALSE(c.kindlegenPath().empty());
    h.folder.write("xdg-data/Quillary/kindlegen", "old");
    EXPECT_TRUE(c.openFile(dropped));
    EXPECT_EQ(files::readFile(c.kindlegenPath()), std::optional<std::string>("#!/bin/sh\necho V2.9\n"));
    struct stat st {};
    ASSERT_EQ(::stat(c.kindlegenPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST(SoftwareUpdate, TheInstalledConverterIsKeptAcrossAnUpdateAndNothingElseIsInstalled) {
    const std::string converter = "#!/bin/sh\necho V2.9\n";
    for (const bool installed : {true, false}) {
        Harness h(false);
        h.c().applicationDidFinishLaunching();
        const std::string target = h.c().kindlegenPath();
        if (installed) {
            ASSERT_TRUE(h.c().installKindlegen(h.folder.write("Downloads/kindlegen", converter)));
        }
        // Not the author's: someone else's file under the shared temporary
        // folder's fixed name.
        h.folder.write("tmp/kindlegen", "planted");

        h.updater.update([&] { files::removeAll(target); });

        EXPECT_EQ(files::readFile(target), installed ? std::optional(converter) : std::nullopt) << installed;
        EXPECT_EQ(files::listFolder(h.folder.tempFolder()), std::vector<std::string>{"kindlegen"})
            << "nothing is left behind";
    }
}
