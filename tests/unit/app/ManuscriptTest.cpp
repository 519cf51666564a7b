#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "app/BookInformation.h"
#include "app/DocumentProperties.h"
#include "app/ManuscriptTypes.h"
#include "app/RecentManuscripts.h"
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

TEST(BookInformationReading, DatesParseOnlyInTheirOwnPatternAndLanguagesAreAnIndexOrATag) {
    for (const char* date : {"March 1", "01/03/2013", "2013-02-30", "2013-03-01x", "2013-02-29"})
        EXPECT_FALSE(parsePublicationDate(date)) << date;
    EXPECT_EQ(parsePublicationDate("2013-3-1"), (CivilDate{2013, 3, 1}));
    EXPECT_EQ(parsePublicationDate("2012-02-29"), (CivilDate{2012, 2, 29}));
    const std::pair<const char*, const char*> languages[] = {
        {" 3x", "3"}, {"19", "19"}, {"20", "0"}, {"x3", "0"}, {"99999999999999999999", "0"},
        {"pt-br", "pt-BR"}, {" cs ", "cs"}, {"en_GB", "0"}, {"", "0"}};
    for (const auto& [text, stored] : languages) EXPECT_EQ(parseStoredLanguage(text), stored) << text;
}

TEST(BookInformationReading, AWrongIsbnCheckDigitIsToldWithTheRightOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"978-1-234-56789-7", ""},           {"0-306-40615-2", ""},    {"0-8044-2957-x", ""},
        {"978-1-234-56789-0", "end in 7, not 0"}, {"0306406153", "end in 2, not 3"},
        {"080442957 1", "end in X, not 1"},  {"12345", ""},            {"urn:isbn:123", ""}};
    for (const auto& [isbn, advice] : cases) {
        const std::string told = isbnCheckDigitAdvice(isbn, Localizer{});
        EXPECT_EQ(told.empty(), std::string(advice).empty()) << isbn << ": " << told;
        EXPECT_NE(told.find(advice), std::string::npos) << isbn << ": " << told;
    }
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
        {"", " \" ", "Drafts.epub"}};
    for (const auto& [isbn, title, name] : cases)
        EXPECT_EQ(defaultBookName({.title = title, .isbn = isbn}, "/home/a/Drafts/Novel.rtf"), name) << isbn << title;
}

TEST(BookInformationForTheBuild, StoredAsTypedAndRequestedInPublicationForm) {
    TestFolder folder;
    const std::string manuscript = folder.write("books/My.Novel.rtf", "x");
    const auto stored = [&] {
        return files::readFile(storedInformationPath(folder.file("data"), manuscript)).value_or("<none>");
    };
    const BookInfo typed{.title = " Caf\xC3\xA9 \xE2\x80\x94\tend ",
                         .publisher = "Smith & Sons",
                         .copyright = "\xC2\xA9 Me<br>All rights",
                         .date = "2013-03-01",
                         .isbn = " 97-8/1:X ",
                         .genre = "<b>Bold</b> claims",
                         .language = "3"};
    ASSERT_TRUE(files::makeFolders(folder.file("data")));
    ASSERT_TRUE(storeBookInformation(folder.file("data"), manuscript, typed));
    EXPECT_EQ(stored(), "Caf\xC3\xA9 \xE2\x80\x94\tend\n\nSmith & Sons\n\xC2\xA9 Me<br>All rights\n"
                        "2013-03-01\n97-8/1:X\n<b>Bold</b> claims\n3");
    const BuildRequest request = makeBuildRequest(manuscript, typed, {.destinationFolder = "/out", .bookName = "B"});
    EXPECT_EQ(request.manuscriptFolder, folder.file("books"));
    EXPECT_EQ(request.bookInfo, (BookInfo{"Caf&#233; &#8212; end", "", "Smith &amp; Sons",
                                          "&#169; Me All rights", "2013-03-01", "9781X",
                                          "&lt;b&gt;Bold&lt;/b&gt; claims", "3"}));

    // Blank fields stay blank, no stand-in; a line break typed into one is a blank.
    const BookInfo blank{.title = "Part one\nPart two\r\nand\rthree\xE2\x80\xA8" "four", .date = "2024-05-17",
                         .language = "en-gb"};
    ASSERT_TRUE(storeBookInformation(folder.file("data"), manuscript, blank));
    EXPECT_EQ(stored(), "Part one Part two and three four\n\n\n\n2024-05-17\n\n\nen-GB");
    const BookInfo requested = makeBuildRequest(manuscript, {.date = "2024-05-17"}, {}).bookInfo;
    EXPECT_EQ(requested, (BookInfo{"books", "", "", "", "2024-05-17", "urn:uuid:12345", "", "0"}))
        << "an empty title is the folder's name, as the fields show it";
}

TEST(BookInformationForTheBuild, TheStoredFileOrBookInfoTxtFillTheFields) {
    TestFolder folder;
    const std::string manuscript = folder.write("Books/Novel/Novel.doc", "x");
    EXPECT_FALSE(findBookInformation(folder.file("data"), manuscript));
    folder.write("Books/Novel/bookInfo.txt", "From the folder");
    const std::string own = storedInformationPath(folder.file("data"), manuscript);
    folder.write(own.substr(folder.path().size() + 1), "");  // empty: counts as none
    const auto beside = findBookInformation(folder.file("data"), manuscript);
    ASSERT_TRUE(beside);
    EXPECT_EQ(beside->path, folder.file("Books/Novel/bookInfo.txt"));
    EXPECT_EQ(beside->source, InformationSource::BesideManuscript);
    folder.write(own.substr(folder.path().size() + 1), "No Title!\nAnn\nNo Publisher\nCopy\nMarch 1\n978-1\nNo Genre\n3x");
    const auto stored = findBookInformation(folder.file("data"), manuscript);
    ASSERT_TRUE(stored);
    const BookInfo fields = fieldsFromStored(manuscript, stored->text);
    EXPECT_EQ(fields, (BookInfo{"Novel", "Ann", "", "Copy", formatDate(today()), "978-1", "", "3"}))
        << "an earlier version's stand-ins read as empty, an empty title is the folder's name, "
           "a date that does not parse is today's";
}

TEST(BookInformationForTheBuild, ManuscriptsOfOneNameInTwoFoldersKeepTheirOwnInformation) {
    TestFolder folder;
    const std::string data = folder.file("data");
    const std::string first = folder.write("Books/Lighthouse.rtf", "x");
    const std::string other = folder.write("Other/Lighthouse.rtf", "x");
    // An earlier version's file, named by the manuscript alone: the first
    // manuscript of that name to find it claims it.
    folder.write("data/LighthouseInfo.txt", "Old Light\nAnn");
    const auto claimed = findBookInformation(data, first);
    ASSERT_TRUE(claimed);
    EXPECT_EQ(fieldsFromStored(first, claimed->text).title, "Old Light");
    EXPECT_EQ(claimed->path, storedInformationPath(data, first));
    EXPECT_FALSE(findBookInformation(data, other)) << "the claimed file is not shared";
    folder.write("Other/bookInfo.txt", "Other Light");
    ASSERT_TRUE(storeBookInformation(data, other, {.title = "Other Light, revised"}));
    EXPECT_EQ(fieldsFromStored(other, findBookInformation(data, other)->text).title, "Other Light, revised");
    EXPECT_EQ(fieldsFromStored(first, findBookInformation(data, first)->text).title, "Old Light");
}

// bookInfo.txt comes with a manuscript someone sent: one that leads out of
// its folder or is no file is not read, and the author hears why.
TEST(BookInformationForTheBuild, ABookInfoTxtThatCannotBeReadIsLeftAndTheAuthorHearsWhy) {
    TestFolder folder;
    const Localizer texts = suiteTexts(true);
    const std::string manuscript = folder.write("Sent/Novel.rtf", "x");
    const std::string beside = folder.file("Sent/bookInfo.txt");
    EXPECT_EQ(besideInformationRefusal(manuscript, texts), "") << "none there";
    const std::string secret = folder.write("Private/secret.txt", "Private Title");
    ASSERT_EQ(::symlink(secret.c_str(), beside.c_str()), 0);
    EXPECT_FALSE(findBookInformation(folder.file("data"), manuscript));
    EXPECT_EQ(besideInformationRefusal(manuscript, texts),
              "bookInfo.txt was not read: it links outside the manuscript's folder; copy the file into the folder.");
    ASSERT_EQ(::unlink(beside.c_str()), 0);
    ASSERT_EQ(::mkfifo(beside.c_str(), 0600), 0);
    EXPECT_FALSE(findBookInformation(folder.file("data"), manuscript));
    EXPECT_NE(besideInformationRefusal(manuscript, texts).find("it is a named pipe"), std::string::npos);
    ASSERT_EQ(::unlink(beside.c_str()), 0);
    folder.write("Sent/bookInfo.txt", "Sent Title");
    EXPECT_EQ(besideInformationRefusal(manuscript, texts), "");
    EXPECT_EQ(findBookInformation(folder.file("data"), manuscript)->text, "Sent Title");
}

TEST(DocumentProperties, ReadFromRtfInfoAndFromTheXmlOfDocxAndOdt) {
    const DocumentProperties rtf = rtfProperties(
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Times;}}{\\info{\\title The Glassblower\\'92s Winter}"
        "{\\author Tamsin \\u220?ber Vale}{\\company Small \\{Press\\}}{\\keywords glass}{\\titlepg x}}"
        "\\titlepg\\pard Text\\par}");
    EXPECT_EQ(rtf.title, "The Glassblower\u2019s Winter");
    EXPECT_EQ(rtf.author, "Tamsin \u00dcber Vale");
    EXPECT_EQ(rtf.publisher, "Small {Press}");
    EXPECT_EQ(rtf.keywords, "glass");
    EXPECT_TRUE(rtfProperties("{\\rtf1 {\\title no info group}}").empty());

    const DocumentProperties docx = xmlProperties(
        "<cp:coreProperties><dc:title>Tea &amp; Ash</dc:title><dc:creator>Ann</dc:creator>"
        "<dc:subject/><cp:keywords>novel</cp:keywords><dc:language>pt-BR</dc:language></cp:coreProperties>",
        "<Properties><Company>Harbour Books</Company></Properties>");
    EXPECT_EQ(docx.title, "Tea & Ash");
    EXPECT_EQ(docx.subject, "");
    EXPECT_EQ(docx.publisher, "Harbour Books");
    const DocumentProperties odt = xmlProperties(
        "<office:meta><meta:initial-creator>Bo</meta:initial-creator><meta:keyword>sea</meta:keyword></office:meta>", "");
    EXPECT_EQ(odt.author, "Bo");
    EXPECT_EQ(odt.keywords, "sea");

    // They fill only what the stored information leaves empty, before the
    // folder's name; a language only when the stored one is not given.
    bool used = false;
    const BookInfo fields = fieldsFromStored("/b/Drafts/Tale.docx", std::string("\nStored Author"), docx, &used);
    EXPECT_TRUE(used);
    EXPECT_EQ(fields.title, "Tea & Ash");
    EXPECT_EQ(fields.author, "Stored Author");
    EXPECT_EQ(fields.publisher, "Harbour Books");
    EXPECT_EQ(fields.genre, "novel") << "the keywords when there is no subject";
    EXPECT_EQ(fields.language, "pt-BR");
    EXPECT_EQ(fieldsFromStored("/b/Drafts/Tale.docx", std::string("\n\n\n\n\n\n\n7"), docx).language, "7");
    EXPECT_EQ(informationSourceLine(std::nullopt, "/b/Drafts/Tale.docx", false, used, Localizer{}),
              "Book information from the document properties of Tale.docx.");
}

namespace {

struct Manuscript : ::testing::Test {
    Harness h{false};
    std::string manuscript;

    void SetUp() override { manuscript = h.folder.write("Books/Novel/Novel.doc", "x"); }
    void storeInfo(const std::string& text) {
        const std::string path = storedInformationPath(h.folder.dataHome() + "/Quillary", manuscript);
        h.folder.write(path.substr(h.folder.path().size() + 1), text);
    }
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
    EXPECT_EQ(h.window.language(), "3");
    EXPECT_EQ(h.window.manuscriptLocation(), "Novel.doc");
    EXPECT_TRUE(h.window.makeEnabled);
    EXPECT_NE(h.window.informationSource.find("stored by an earlier build"), std::string::npos);
}

TEST_F(Manuscript, EditedFieldsAreSavedAtOnceAndComeBackAfterARestart) {
    h.manuscripts.fieldsEdited();  // no manuscript yet: nothing to store for
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.informationSource, "No book information for Novel.doc: the title defaults to its folder's name.");
    h.window.setFieldText(BookField::Author, "Ann");
    h.window.setFieldText(BookField::Isbn, "978-1-234-56789-0");
    h.window.setLanguage("cs");
    h.manuscripts.fieldsEdited();
    EXPECT_NE(h.window.fieldAdvice.find("should end in 7"), std::string::npos) << h.window.fieldAdvice;
    EXPECT_NE(h.window.informationSource.find("saved to"), std::string::npos);

    FakeWindow window;  // the next session's
    MemoryPreferences preferences;
    ManuscriptSession restarted(window, preferences, h.folder.dataHome() + "/Quillary", h.texts);
    restarted.load(manuscript);
    EXPECT_EQ(window.fieldText(BookField::Author), "Ann");
    EXPECT_EQ(window.fieldText(BookField::Title), "Novel");
    EXPECT_EQ(window.language(), "cs");
}

TEST_F(Manuscript, AnRtfManuscriptsOwnPropertiesFillTheEmptyFieldsAndTheSourceLineSaysSo) {
    const std::string rtf = h.folder.write("Books/Tale/Tale.rtf", "{\\rtf1{\\info{\\title Tide}{\\author Ann}}x\\par}");
    h.manuscripts.load(rtf);
    EXPECT_EQ(h.window.fieldText(BookField::Title), "Tide");
    EXPECT_EQ(h.window.fieldText(BookField::Author), "Ann");
    EXPECT_EQ(h.window.informationSource, "Book information from the document properties of Tale.rtf.");
}

TEST_F(Manuscript, FirstManuscriptWithoutInformationKeepsWhatWasTyped) {
    h.window.setFieldText(BookField::Author, "Typed");
    h.manuscripts.load(manuscript);
    EXPECT_EQ(h.window.fieldText(BookField::Author), "Typed");
    // A second manuscript without information resets the fields.
    h.manuscripts.load(h.folder.write("Books/Other/Other.rtf", "x"));
    EXPECT_EQ(h.window.fieldText(BookField::Author), "");
    EXPECT_EQ(h.window.fieldText(BookField::Title), "Other");
    EXPECT_EQ(h.window.language(), "0");
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

// Open Recent: newest first, each once, at most ten, and what the store
// could not give back whole is never kept.
TEST(RecentManuscripts, NewestFirstEachOnceAtMostTenAndClearedOnRequest) {
    MemoryPreferences store;
    for (int i = 0; i < 12; ++i) addRecentManuscript(store, "/b/" + std::to_string(i) + ".rtf");
    addRecentManuscript(store, "/b/5.rtf");
    addRecentManuscript(store, "/b/Two\nLines.rtf");
    const std::vector<std::string> recent = recentManuscripts(store);
    ASSERT_EQ(recent.size(), kRecentManuscriptsShown);
    EXPECT_EQ(recent[0], "/b/5.rtf");
    EXPECT_EQ(recent[1], "/b/11.rtf");
    EXPECT_EQ(recent[9], "/b/2.rtf");
    EXPECT_EQ(std::count(recent.begin(), recent.end(), "/b/5.rtf"), 1);
    clearRecentManuscripts(store);
    EXPECT_TRUE(recentManuscripts(store).empty());
}
