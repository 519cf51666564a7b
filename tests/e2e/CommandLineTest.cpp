// The quillary command end to end: real processes, real converter (or a
// stand-in script where a failure must be provoked), real archives.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

using namespace quillary;
using quillary::testing::TestFolder;
using quillary::testing::runQuillary;
using quillary::testing::suiteSetting;

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// Points QUILLARY_TEXTUTIL at a stand-in converter for one test.
class ConverterStandIn {
public:
    ConverterStandIn(const TestFolder& folder, const std::string& script) {
        path_ = folder.write("bin/converter", "#!/bin/sh\n" + script);
        EXPECT_TRUE(files::setPermissions(path_, 0755));
        const char* old = std::getenv("QUILLARY_TEXTUTIL");
        old_ = old ? old : "";
        ::setenv("QUILLARY_TEXTUTIL", path_.c_str(), 1);
    }
    ~ConverterStandIn() { ::setenv("QUILLARY_TEXTUTIL", old_.c_str(), 1); }

private:
    std::string path_, old_;
};

std::string copyExample(const TestFolder& folder) {
    const std::string source = suiteSetting("QUILLARY_FIXTURES") + "/../../examples/Lighthouse";
    EXPECT_TRUE(files::makeFolders(folder.file("Lighthouse")));
    for (const std::string& name : files::listFolder(source))
        EXPECT_TRUE(files::copyFile(source + "/" + name, folder.file("Lighthouse/" + name)));
    return folder.file("Lighthouse/Lighthouse.rtf");
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(CommandLine, HelpVersionAndUsageErrors) {
    std::string out, err;
    EXPECT_EQ(runQuillary("--help", out), 0);
    EXPECT_TRUE(contains(out, "quillary build MANUSCRIPT"));
    EXPECT_EQ(runQuillary("build a.rtf --help", out), 0);
    EXPECT_TRUE(contains(out, "-o, --output FILE")) << out;
    EXPECT_EQ(runQuillary("--version", out), 0);
    EXPECT_TRUE(contains(out, "quillary "));
    EXPECT_EQ(runQuillary("build", out, &err), 2);
    EXPECT_TRUE(contains(err, "MANUSCRIPT"));
}

TEST(CommandLine, ManuscriptsAndDestinationsThatCannotWorkAreRefusedBeforeTheConversion) {
    TestFolder folder;
    // The stand-in leaves a mark when the build gets as far as converting.
    const std::string converted = folder.file("converted");
    ConverterStandIn converter(folder, "touch " + quoted(converted) + "\n"
        "case \"$1\" in -info) echo '  Type:  rich text';;\n"
        "*) printf '<html>\\n<body>\\n<p>x</p>\\n</body>\\n</html>\\n';; esac\n");
    const std::string book = quoted(folder.write("Book.rtf", "{\\rtf1 x}"));
    folder.makeFolder("Folder");
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    const std::string fitting(240 - 5, 'n');  // with ".epub", as long as the temporary names allow
    const struct {
        std::string arguments;
        std::string reason;
    } cases[] = {
        {quoted(folder.file("Absent.rtf")), "no such file"},
        {quoted(folder.file("Folder")), "not a regular file"},
        {quoted(folder.file("pipe")), "not a regular file"},
        {"/dev/null", "not a regular file"},
        {book + " -o " + quoted(folder.file("Absent/Book.epub")), "does not exist"},
        {book + " -o " + quoted(folder.file("Folder/")), "is a folder"},
        {book + " -o .", "is a folder"},
        {book + " -o " + quoted(folder.file("pipe")), "named pipe"},
        {book + " -o " + quoted(folder.file(fitting + "n.epub")), "too long"},
        {book + " --date 2024-02-30", "not a valid date"},
        {book + " --frobnicate", "unknown option"},
    };
    // A script that asked for the report gets it, refusals included.
    for (const auto& [arguments, reason] : cases) {
        std::string out, err;
        EXPECT_EQ(runQuillary("build " + arguments + " --report json", out, &err), 2) << arguments;
        EXPECT_TRUE(contains(err, reason)) << arguments << "\n" << err;
        EXPECT_TRUE(out.starts_with("{\"refused\": \"") && contains(out, reason) && contains(out, "\"epub\": null"))
            << arguments << "\n" << out;
        EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
        EXPECT_FALSE(files::exists(converted)) << arguments;
    }
    // The longest name that fits is written.
    std::string out, err;
    EXPECT_EQ(runQuillary("build " + book + " -o " + quoted(folder.file(fitting + ".epub")), out, &err), 0) << err;
    EXPECT_TRUE(files::exists(folder.file(fitting + ".epub")));
}

// A manuscript's name too long for the stored file's gets a shorter one,
// found again next time; book information that cannot be stored is said in
// a line, and the book is made all the same.
TEST(CommandLine, BookInformationThatCannotBeStoredIsSaidAndLongNamesAreStoredToo) {
    TestFolder folder;
    const std::string manuscript = quoted(folder.write("Long/" + std::string(240, 'n') + ".rtf", "{\\rtf1 Hi.\\par}"));
    std::string out, err;
    EXPECT_EQ(runQuillary("build " + manuscript + " --title Kept -o " + quoted(folder.file("a.epub")), out, &err), 0);
    EXPECT_EQ(runQuillary("build " + manuscript + " -o " + quoted(folder.file("b.epub")), out, &err), 0) << err;
    EXPECT_TRUE(contains(err, "stored by an earlier build")) << err;
    ::setenv("XDG_DATA_HOME", folder.write("not-a-folder", "").c_str(), 1);
    EXPECT_EQ(runQuillary("build " + manuscript + " --title T -o " + quoted(folder.file("c.epub")), out, &err), 0);
    EXPECT_TRUE(contains(err, "could not be stored for the next build")) << err;
}

// Without book information and without flags, a manuscript's book takes its
// folder's name, the same on every build; stored information and a
// bookInfo.txt fill the fields, and flags win over both.
TEST(CommandLine, TheFieldsOfEveryManuscriptComeFromItsBookInformation) {
    TestFolder folder;
    folder.write("MyNovel/Draft.rtf", "{\\rtf1 Hello.\\par}");
    folder.write("Other/Story.rtf", "{\\rtf1 Hello.\\par}");
    folder.write("Other/bookInfo.txt", "Beside\nAnn\n");
    folder.write("Third/Tale.rtf", "{\\rtf1 Hello.\\par}");
    const struct {
        std::string manuscript, flags, book, title;
        std::vector<std::string> told;
    } builds[] = {
        {"MyNovel/Draft.rtf", "", "MyNovel/MyNovel.epub", "MyNovel", {"No book information", "folder's name"}},
        {"Third/Tale.rtf", "--title Named", "Third/Named.epub", "Named", {"No book information for Tale.rtf.\n"}},
        {"MyNovel/Draft.rtf", "", "MyNovel/MyNovel.epub", "MyNovel", {"stored by an earlier build"}},
        {"MyNovel/Draft.rtf", "--title Flagged", "MyNovel/Flagged.epub", "Flagged", {}},
        {"Other/Story.rtf", "--kindle", "Other/Beside.epub", "Beside", {"beside the manuscript", "EPUB 2"}},
    };
    for (const auto& [manuscript, flags, book, title, told] : builds) {
        std::string out, err;
        EXPECT_EQ(runQuillary("build " + quoted(folder.file(manuscript)) + " " + flags, out, &err), 0) << err;
        const auto entries = quillary::testing::readArchive(folder.file(book));
        ASSERT_TRUE(entries) << book << " was not made:\n" << err;
        std::string opf;
        for (const auto& entry : *entries)
            if (entry.name == "OEBPS/content.opf") opf = entry.content;
        EXPECT_TRUE(contains(opf, "<dc:title>" + title + "</dc:title>")) << book << "\n" << opf;
        for (const std::string& line : told) EXPECT_TRUE(contains(err, line)) << line << "\n" << err;
    }
    EXPECT_EQ(files::listFolder(folder.file("MyNovel")).size(), 3u) << "no other book beside the two";
}

TEST(CommandLine, ConverterFailureEndsInTheMakeFailureAlertAndKeepsTheEarlierBook) {
    // An error report, and converters that die after half a book.
    for (const char* conversion : {"echo 'Error converting it'", "printf '<html><body><p>Half'; exit 3",
                                   "printf '<html><body><p>Half'; kill -9 $$"}) {
        SCOPED_TRACE(conversion);
        TestFolder folder;
        ConverterStandIn converter(folder, std::string("case \"$1\" in -info) echo '  Type:  rich text';; *) ") +
                                               conversion + ";; esac\n");
        const std::string manuscript = folder.write("Book.rtf", "{\\rtf1 x}");
        folder.write("Book.epub", "the earlier book");
        std::string out, err;
        EXPECT_EQ(runQuillary("build " + quoted(manuscript) + " --report json", out, &err), 1);
        EXPECT_TRUE(contains(out, "\"key\": \"MakeFailTitle\"")) << out;
        EXPECT_TRUE(contains(err, "Book.rtf")) << err;
        EXPECT_EQ(files::readFile(folder.file("Book.epub")).value_or("<none>"), "the earlier book");
    }
}

TEST(CommandLine, AManuscriptOverTheSizeLimitIsRefusedWithItsSizeAndTheLimit) {
    TestFolder folder;
    const std::string manuscript = folder.write("Huge.rtf", "{\\rtf1 ");
    std::filesystem::resize_file(manuscript, (std::uint64_t{128} << 20) + 1);  // sparse: costs no disk
    folder.write("Huge.epub", "the earlier book");
    std::string out, err;
    EXPECT_EQ(runQuillary("build " + quoted(manuscript) + " --report json", out, &err), 1);
    EXPECT_TRUE(contains(out, "\"key\": \"TooLargeTitle\"")) << out;
    EXPECT_TRUE(contains(out, "129 MB") && contains(out, "128 MB")) << out;
    EXPECT_TRUE(contains(err, "Huge.rtf")) << err;
    EXPECT_EQ(files::readFile(folder.file("Huge.epub")).value_or("<none>"), "the earlier book");
}

// The converter's own sentence reaches the author; plain text, of which it
// has none to say, keeps the advice to save the manuscript again.
TEST(CommandLine, AManuscriptTheConverterCannotReadIsToldWithWhatItFound) {
    TestFolder folder;
    std::string secret =
        files::readFile(suiteSetting("QUILLARY_FIXTURES") + "/converter/cases/from-libreoffice.doc").value();
    secret[secret.find("\xEC\xA5\x01\x01") + 0x0B] |= 1;  // Word's "encrypted" flag
    std::string crowded = "{\\rtf1 ";
    for (std::size_t i = 0; i <= 1'500'000; ++i) crowded += "\\par ";
    const std::string cases[][3] = {
        {"Secret", ".doc", "Quillary could not read “Secret.doc”. It is protected with a password"},
        {"Crowded", ".rtf", "It holds more than 1,500,000 paragraphs, table cells"},
        {"Notes", ".rtf", "“Notes.rtf” is plain text or could not be read."}};
    const std::string contents[] = {secret, crowded + "}", "plain words\n"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [name, extension, told] = cases[i];
        const std::string manuscript = folder.write(name + extension, contents[i]);
        const std::string earlier = folder.write(name + ".epub", "the earlier book");
        std::string out, err;
        EXPECT_EQ(runQuillary("build " + quoted(manuscript) + " --report json", out, &err), 1) << manuscript;
        EXPECT_TRUE(contains(out, "\"key\": \"FormattingErrTitle\"")) << out;
        EXPECT_TRUE(contains(out, told) && contains(err, told)) << told << "\n" << out << err;
        EXPECT_EQ(files::readFile(earlier).value_or("<none>"), "the earlier book");
    }
}

TEST(CommandLine, ExampleBookIsAValidEpubNamedAfterItsTitle) {
    TestFolder folder;
    const std::string manuscript = copyExample(folder);
    std::string out, err;
    ASSERT_EQ(runQuillary("build " + quoted(manuscript) + " --report json", out, &err), 0) << err;
    // No -o: the proposed name (the title) in the manuscript's folder.
    const std::string epub = folder.file("Lighthouse/The Keeper of Gull Rock.epub");
    EXPECT_TRUE(contains(out, "\"epub\": \"" + epub + "\"")) << out;
    const auto verdict = quillary::testing::runEpubCheck(epub);
    ASSERT_TRUE(verdict.ran);
    EXPECT_TRUE(verdict.passed) << verdict.output;
}

// The installed file's mode is the controller's business, tested with it.
TEST(CommandLine, InstallKindlegenInstallsTheGivenFileOrFails) {
    TestFolder folder;
    const std::string converter = folder.write("kindlegen", "#!/bin/sh\necho V2.9\n");
    std::string out, err;
    ASSERT_EQ(runQuillary("install-kindlegen " + quoted(converter), out, &err), 0) << err;
    EXPECT_TRUE(files::exists(folder.dataHome() + "/Quillary/kindlegen"));
    EXPECT_EQ(runQuillary("install-kindlegen " + quoted(folder.file("absent")), out, &err), 1);
}
