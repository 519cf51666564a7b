#include <gtest/gtest.h>

#include <sys/stat.h>

#include <tuple>

#include "app/BookInformation.h"
#include "app/ManuscriptTypes.h"
#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;
using namespace quillary::app;
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

TEST(BookInformationForTheBuild, TheProposedNameComesFromTheIsbnElseTheTitleAndNeverLeavesTheFolder) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"97-8-1", "Ignored", "9781.epub"},       {"97/8:1", "", "97-8:1.epub"},
        {"", " War: \"Peace\"\t", "War- Peace.epub"}, {"", "Either/Or", "Either-Or.epub"},
        {"", " \" ", "No Title.epub"}};
    for (const auto& [isbn, title, name] : cases)
        EXPECT_EQ(defaultBookName({.title = title, .isbn = isbn}), name) << isbn << title;
}

TEST(BookInformationForTheBuild, StoredAsTypedAndRequestedInPublicationForm) {
    TestFolder folder;
    const std::string manuscript = folder.write("books/My.Novel.rtf", "x");
    const auto stored = [&] { return files::readFile(folder.file("data/My.NovelInfo.txt")).value_or("<none>"); };
    const BookInfo typed{.title = " Caf\xC3\xA9 \xE2\x80\x94\tend ",
                         .publisher = "Smith & Sons",
                         .copyright = "\xC2\xA9 Me<br>All rights",
                         .date = "2013-03-01",
                         .isbn = " 97-8/1:X ",
                         .genre = "<b>Bold</b> claims",
                         .language = "3"};
    ASSERT_TRUE(files::makeFolders(folder.file("data")));
    ASSERT_TRUE(storeBookInformation(folder.file("data"), manuscript, typed));
    EXPECT_EQ(stored(), "Caf\xC3\xA9 \xE2\x80\x94\tend\nNo Author\nSmith & Sons\n\xC2\xA9 Me<br>All rights\n"
                        "2013-03-01\n97-8/1:X\n<b>Bold</b> claims\n3");
    const BuildRequest request = makeBuildRequest(manuscript, typed, {.destinationFolder = "/out", .bookName = "B"});
    EXPECT_EQ(request.manuscriptFolder, folder.file("books"));
    EXPECT_EQ(request.bookInfo, (BookInfo{"Caf&#233; &#8212; end", "No Author", "Smith &amp; Sons",
                                          "&#169; Me All rights", "2013-03-01", "9781X",
                                          "&lt;b&gt;Bold&lt;/b&gt; claims", "3"}));

    // Blank fields take their stand-ins; a line break typed into one is a blank.
    const BookInfo blank{.title = "Part one\nPart two\r\nand\rthree\xE2\x80\xA8" "four", .date = "2024-05-17"};
    ASSERT_TRUE(storeBookInformation(folder.file("data"), manuscript, blank));
    EXPECT_EQ(stored(), "Part one Part two and three four\nNo Author\nNo Publisher\nNo Copyright\n2024-05-17\n\n"
                        "No Genre\n0");
    EXPECT_EQ(makeBuildRequest(manuscript, blank, {}).bookInfo.isbn, "urn:uuid:12345");
}

TEST(BookInformationForTheBuild, TheStoredFileOrBookInfoTxtFillTheFields) {
    TestFolder folder;
    const std::string manuscript = folder.write("Books/Novel/Novel.doc", "x");
    EXPECT_FALSE(findBookInformation(folder.file("data"), manuscript));
    folder.write("Books/Novel/bookInfo.txt", "From the folder");
    folder.write("data/NovelInfo.txt", "");  // empty: counts as none
    const auto beside = findBookInformation(folder.file("data"), manuscript);
    ASSERT_TRUE(beside);
    EXPECT_EQ(beside->path, folder.file("Books/Novel/bookInfo.txt"));
    folder.write("data/NovelInfo.txt", "\nAnn\nPub\nCopy\nMarch 1\n978-1\nSF\n3x");
    const auto stored = findBookInformation(folder.file("data"), manuscript);
    ASSERT_TRUE(stored);
    const BookInfo fields = fieldsFromStored(manuscript, stored->text);
    EXPECT_EQ(fields.title, "Novel") << "a blank line 1: the folder's name";
    EXPECT_EQ(fields.author, "Ann");
    EXPECT_EQ(fields.date, formatDate(today())) << "a date that does not parse gives today's";
    EXPECT_EQ(fields.language, "3");
}

namespace {

struct Manuscript : ::testing::Test {
    Harness h{false};
    std::string manuscript;

    void SetUp() override { manuscript = h.folder.write("Books/Novel/Novel.doc", "x"); }
    void storeInfo(const std::string& text) { h.folder.write("xdg-data/Quillary/NovelInfo.txt", text); }
};

}  // namespace

TEST_F(Manuscript, StoredInformationFillsTheWindow) {
    storeInfo("\nAnn\nPub\nCopy\n2013-03-01\n978-1\nSF\n3x");
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.fieldText(BookField::Title), "Novel");  // blank line 1: the folder's name
    EXPECT_EQ(h.window.fieldText(BookField::Author), "Ann");
    EXPECT_EQ(h.window.fieldText(BookField::Isbn), "978-1");
    EXPECT_EQ(h.window.fieldText(BookField::Genre), "SF");
    EXPECT_EQ(h.window.pubDate(), (CivilDate{2013, 3, 1}));
    EXPECT_EQ(h.window.languageIndex(), 3);
    EXPECT_EQ(h.window.manuscriptLocation(), "Novel.doc");
    EXPECT_TRUE(h.window.makeEnabled);
}

TEST_F(Manuscript, FirstManuscriptWithoutInformationKeepsWhatWasTyped) {
    h.window.setFieldText(BookField::Author, "Typed");
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.fieldText(BookField::Author), "Typed");
    // A second manuscript without information resets the fields.
    h.manuscripts.load(h.folder.write("Books/Other/Other.rtf", "x"));
    EXPECT_EQ(h.window.fieldText(BookField::Author), "");
    EXPECT_EQ(h.window.fieldText(BookField::Title), "Other");
    EXPECT_EQ(h.window.languageIndex(), 0);
}

TEST_F(Manuscript, CoverPreviewPrefersPngThenJpgThenTheIcon) {
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.coverPreview, "");
    h.folder.write("Books/Novel/cover.jpg", "j");
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.coverPreview, h.folder.file("Books/Novel/cover.jpg"));
    h.folder.write("Books/Novel/cover.png", "p");
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.coverPreview, h.folder.file("Books/Novel/cover.png"));
}

TEST(ManuscriptTypes, OnlyExactLowerCaseExtensionsAreManuscripts) {
    const std::pair<const char*, bool> names[] = {
        {"Novel.DOC", false}, {"Novel.Docx", false}, {"Novel.ODT", false}, {"kindlegen.zip", false},
        {"Novel.docx", true}, {"Novel.odt", true},   {"Novel.rtf", true}};
    for (const auto& [name, accepted] : names) EXPECT_EQ(hasManuscriptExtension(name), accepted) << name;
}

TEST_F(Manuscript, OpenPanelRemembersTheFolderAboveTheManuscriptsFolder) {
    h.preferences.setString(prefs::kParentDirectory, "~/Documents");
    std::string chosen;
    h.manuscripts.choose([&chosen](const std::string& path) { chosen = path; });
    ASSERT_EQ(h.window.openPanels.size(), 1u);
    EXPECT_EQ(h.window.openPanels[0].directory, h.folder.path() + "/home/Documents");
    EXPECT_EQ(h.window.openPanels[0].allowedTypes, kManuscriptExtensions);
    h.window.pendingOpen(1, manuscript);
    EXPECT_EQ(h.preferences.stringForKey(prefs::kParentDirectory), h.folder.file("Books"));
    EXPECT_EQ(chosen, manuscript);
}

TEST_F(Manuscript, KindlegenIsInstalledExecutableButNotWorldWritable) {
    const std::string dropped = h.folder.write("Downloads/kindlegen", "#!/bin/sh\necho V2.9\n");
    const std::string target = h.kindle->kindlegenPath();
    EXPECT_EQ(target, h.folder.dataHome() + "/Quillary/kindlegen");
    h.folder.write("xdg-data/Quillary/kindlegen", "old");
    EXPECT_TRUE(h.kindle->install(dropped));
    EXPECT_EQ(files::readFile(target).value_or("<none>"), "#!/bin/sh\necho V2.9\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_FALSE(h.kindle->install(h.folder.file("Downloads/missing")));
    EXPECT_EQ(files::listFolder(h.folder.dataHome() + "/Quillary"), std::vector<std::string>{"kindlegen"});
}

TEST(SoftwareUpdate, TheInstalledConverterIsKeptAcrossAnUpdateAndNothingElseIsInstalled) {
    const std::string converter = "#!/bin/sh\necho V2.9\n";
    for (const bool installed : {true, false}) {
        Harness h(false);
        FakeSoftwareUpdater updater;
        updater.setDelegate(h.kindle.get());
        const std::string target = h.kindle->kindlegenPath();
        if (installed) {
            ASSERT_TRUE(h.kindle->install(h.folder.write("Downloads/kindlegen", converter)));
        }
        // Not the author's: someone else's file under the shared temporary
        // folder's fixed name.
        h.folder.write("tmp/kindlegen", "planted");

        updater.update([&] { EXPECT_TRUE(files::removeAll(target)); });

        EXPECT_EQ(files::readFile(target).value_or("<none>"), installed ? converter : "<none>") << installed;
        EXPECT_EQ(files::listFolder(h.folder.tempFolder()), std::vector<std::string>{"kindlegen"})
            << "nothing is left behind";
    }
}

TEST(EntryTime, SourceDateEpochWhenItIsACountOfSecondsElseNow) {
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    EXPECT_EQ(entryTimeFromEnvironment(), 1700000000);
    for (const char* unusable : {"", "17x", "-5"}) {
        ::setenv("SOURCE_DATE_EPOCH", unusable, 1);
        EXPECT_GE(entryTimeFromEnvironment(), std::time(nullptr) - 5) << unusable;
    }
    ::unsetenv("SOURCE_DATE_EPOCH");
}
