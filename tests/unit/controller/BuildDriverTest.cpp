#include <gtest/gtest.h>

#include <tuple>

#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

struct BuildDriver : ::testing::Test {
    Harness h{false};
    VoveZedevir& c = h.c();

    void SetUp() override {
        c.theFile = h.folder.write("books/My.Novel.rtf", "{\\rtf1 x}");
        c.root = h.folder.file("books");
    }
    void type(BookField field, const std::string& text) { h.window.setFieldText(field, text); }
    std::string infoFile() const {
        return files::readFile(h.folder.dataHome() + "/Quillary/My.NovelInfo.txt").value_or("<none>");
    }
    // Confirms the save panel without running the conversion that follows.
    void confirm(const std::string& name = "Book.epub") {
        h.shell.answer("-info", std::string("  Type:  plain text"));
        c.savePanelEndedWithName(name, h.folder.file("out"), 1);
    }
};

}  // namespace

TEST_F(BuildDriver, ProposedNameComesFromTheIsbnElseTheTitleAndNeverLeavesTheFolder) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"97-8-1", "Ignored", "9781.epub"},       {"97/8:1", "", "97-8:1.epub"},
        {"", " War: \"Peace\"\t", "War- Peace.epub"}, {"", "Either/Or", "Either-Or.epub"},
        {"", " \" ", "No Title.epub"}};
    for (const auto& [isbn, title, name] : cases) {
        type(BookField::Isbn, isbn);
        type(BookField::Title, title);
        EXPECT_EQ(c.defaultBookName(), name);
    }
}

TEST_F(BuildDriver, MakeShowsTheSavePanelInTheManuscriptsFolder) {
    type(BookField::Title, "Moby");
    c.makeQuillary();
    ASSERT_EQ(h.window.savePanels.size(), 1u);
    EXPECT_EQ(h.window.savePanels[0].proposedName, "Moby.epub");
    EXPECT_EQ(h.window.savePanels[0].directory, c.root);
    EXPECT_EQ(h.window.savePanels[0].allowedType, "epub");
}

TEST_F(BuildDriver, BookInformationIsStoredAsTypedAndUsedInPublicationForm) {
    type(BookField::Title, " Caf\xC3\xA9 \xE2\x80\x94\tend ");
    type(BookField::Publisher, "Smith & Sons");
    type(BookField::Copyright, "\xC2\xA9 Me<br>All rights");
    type(BookField::Genre, "<b>Bold</b> claims");
    type(BookField::Isbn, " 97-8/1:X ");
    h.window.setPubDate({2013, 3, 1});
    h.window.setLanguageIndex(3);
    confirm();
    EXPECT_EQ(infoFile(), "Caf\xC3\xA9 \xE2\x80\x94\tend\nNo Author\nSmith & Sons\n\xC2\xA9 Me<br>All rights\n"
                          "2013-03-01\n97-8/1:X\n<b>Bold</b> claims\n3");
    EXPECT_EQ(c.request->bookInfo, (BookInfo{"Caf&#233; &#8212; end", "No Author", "Smith &amp; Sons", "&#169; Me All rights",
                                    "2013-03-01", "9781X", "&lt;b&gt;Bold&lt;/b&gt; claims", "3"}));
}

TEST_F(BuildDriver, BlankFieldsTakeTheirDefaults) {
    confirm();
    EXPECT_EQ(c.request->bookInfo, (BookInfo{"No Title!", "No Author", "No Publisher", "No Copyright",
                                                    "2024-05-17", "urn:uuid:12345", "No Genre", "0"}));
    EXPECT_EQ(infoFile(), "No Title!\nNo Author\nNo Publisher\nNo Copyright\n2024-05-17\n\nNo Genre\n0");
}

TEST_F(BuildDriver, CancelledSavePanelChangesNothing) {
    c.savePanelEndedWithName("Book.epub", h.folder.file("out"), 0);
    EXPECT_FALSE(c.request);
    EXPECT_EQ(infoFile(), "<none>");
    EXPECT_EQ(h.runner.started, 0);
    EXPECT_FALSE(c.isBuilding());
}

TEST_F(BuildDriver, OnlyOneBuildRunsAtATime) {
    // The failure step is queued but not run yet: the build is still on.
    h.shell.answer("-info", std::string("Error reading My.Novel.rtf"));
    c.savePanelEndedWithName("Book.epub", h.folder.file("out"), 1);
    ASSERT_TRUE(c.isBuilding());
    EXPECT_FALSE(h.window.makeEnabled);
    c.makeQuillary();
    EXPECT_TRUE(h.window.savePanels.empty());
    c.savePanelEndedWithName("Other.epub", h.folder.file("out"), 1);
    EXPECT_EQ(c.request->bookName, "Book");
    EXPECT_EQ(h.runner.started, 1);
}

TEST_F(BuildDriver, ManuscriptChosenDuringABuildWaitsForItsEnd) {
    h.shell.answer("-info", std::string("Error reading My.Novel.rtf"));
    c.savePanelEndedWithName("Book.epub", h.folder.file("out"), 1);
    const std::string other = h.folder.write("other/Second.rtf", "{\\rtf1 y}");
    EXPECT_TRUE(c.openFile(other));
    EXPECT_EQ(c.theFile, h.folder.file("books/My.Novel.rtf"));  // the build still sees its own
    h.queue.drain();  // the formatting error ends the build
    EXPECT_FALSE(c.isBuilding());
    EXPECT_EQ(c.theFile, other);
    EXPECT_EQ(h.window.manuscriptLocation(), "Second.rtf");
}

TEST_F(BuildDriver, StatusLineAndProgressFollowTheStages) {
    h.shell.answer("-info", std::string("  Type:  rich text"));
    h.shell.answer("-convert", std::string("<html>\n<body>\n<p>x</p>\n</body>\n</html>\n"));
    c.savePanelEndedWithName("Book.epub", h.folder.file("out"), 1);
    EXPECT_FALSE(h.window.statusHidden);
    EXPECT_FALSE(h.window.progressHidden);
    EXPECT_TRUE(h.window.progressIndeterminate);
    ASSERT_TRUE(h.queue.runOne());  // extractComplete
    EXPECT_EQ(h.window.statusText, "ePubGenMsg");
    EXPECT_FALSE(h.window.progressIndeterminate);
    EXPECT_EQ(h.window.progressMax, 6.0);  // the converted manuscript's lines
}

TEST_F(BuildDriver, OnlyAnEpubOfThisIsbnGoesAndOnlyOnceTheBookIsMade) {
    files::makeFolders(h.folder.file("out"));
    bool unreadable = false;
    h.shell.answerWith("-info", [&unreadable](const FakeShell::Call&) {
        return std::optional<std::string>(unreadable ? "Error reading My.Novel.rtf" : "  Type:  rich text");
    });
    h.shell.answer("-convert", std::string("<html>\n<body>\n<p>x</p>\n</body>\n</html>\n"));
    const auto make = [&](const std::string& name, const std::string& isbn) {
        type(BookField::Isbn, isbn);
        c.savePanelEndedWithName(name, h.folder.file("out"), 1);
        h.queue.drain();
        return c.result.epubPath;
    };
    // The earlier build, named after the ISBN.
    const std::string earlier = make("9781234567897.epub", "9781234567897");
    ASSERT_EQ(earlier, h.folder.file("out/9781234567897.epub"));
    files::copyFile(earlier, h.folder.file("out/OtherBook.epub"));
    h.folder.write("out/Notes.epub", "the author's notes");
    h.folder.write("secret.epub", "not in the destination");
    h.folder.makeFolder("out/Folder.epub");
    unreadable = true;
    EXPECT_EQ(make("Tale.epub", "9781234567897"), "");
    EXPECT_TRUE(files::exists(earlier)) << "not before the new book exists";
    unreadable = false;
    ASSERT_FALSE(make("Tale.epub", "9781234567897").empty());
    EXPECT_FALSE(files::exists(earlier));

    // Another book's EPUB, a file that is no EPUB, names outside the folder
    // or of the book itself, and folders all stay.
    for (const char* isbn : {"OtherBook", "Notes", "Tale", "../secret", "Folder"}) {
        EXPECT_FALSE(make("Tale.epub", isbn).empty()) << isbn;
        EXPECT_EQ(files::listFolder(h.folder.file("out")),
                  (std::vector<std::string>{"Folder.epub", "Notes.epub", "OtherBook.epub", "Tale.epub"}));
        EXPECT_TRUE(files::exists(h.folder.file("secret.epub"))) << isbn;
    }
}
