// Books made through the command line from the manuscripts under
// tests/fixtures/books. Each folder's expect.txt lists its builds: a line
// "build MANUSCRIPT FLAGS" makes a book, and the lines after it check it:
//   report TEXT / said TEXT       the JSON report / standard error holds TEXT
//   has FILE [| TEXT]             the book's OEBPS/FILE exists (and holds TEXT)
//   lacks FILE [| TEXT]           ... does not exist (or does not hold TEXT)
//   kindle                        a stand-in Kindle converter keeps what it is given,
//   received / received-lacks     ... checked like has / lacks
//   epubcheck-error TEXT          EPUBCheck finds one error holding TEXT
//   checked STATUS | TEXT         `quillary check` of the book exits STATUS and tells TEXT
//   needs PROGRAM                 the build is skipped where PROGRAM is not on PATH
// Every book must also open as a zip with the mimetype first and stored, hold
// only well-formed XML documents and pass EPUBCheck unless told otherwise.
// A folder NAME.docx.parts holds the parts of a Word document, which the
// test packs into NAME.docx before the builds.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/Text.h"
#include "epub/WellFormed.h"
#include "platform/Executables.h"
#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"
#include "support/ZipParts.h"

namespace quillary::testing {
namespace {

using Entries = std::map<std::string, std::string>;

struct Check {
    std::string kind, file, text;  // text "" for a check on the file alone
};

struct Build {
    std::string arguments;  // the manuscript and its flags, as written
    std::string needs{};    // a program without which the build cannot be made
    bool kindle = false;
    std::vector<Check> checks{};
    std::vector<std::string> epubCheckErrors{};  // each error line holds one of these
};

std::vector<Build> readExpectations(const std::string& text) {
    std::vector<Build> builds;
    for (const std::string& raw : text::split(text, "\n")) {
        const std::string line = text::trimBlanksAndTabs(raw);
        if (line.empty() || line.starts_with("#")) continue;
        const std::size_t blank = line.find(' ');
        const std::string kind = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (kind == "build") {
            builds.push_back({rest});
            continue;
        }
        if (builds.empty()) {
            ADD_FAILURE() << "a check before the first build: " << line;
            continue;
        }
        Build& build = builds.back();
        if (kind == "kindle") build.kindle = true;
        else if (kind == "needs") build.needs = rest;
        else if (kind == "epubcheck-error") build.epubCheckErrors.push_back(rest);
        else if (kind == "report" || kind == "said") build.checks.push_back({kind, "", rest});
        else if (kind == "has" || kind == "lacks" || kind == "received" || kind == "received-lacks" ||
                 kind == "checked") {
            const std::size_t bar = rest.find(" | ");
            build.checks.push_back({kind, rest.substr(0, bar), bar == std::string::npos ? "" : rest.substr(bar + 3)});
        } else {
            ADD_FAILURE() << "unknown check: " << line;
        }
    }
    return builds;
}

Entries entriesOf(const std::string& epub) {
    Entries entries;
    const auto archive = readArchive(epub);
    if (!archive) return entries;
    for (const auto& entry : *archive) entries[entry.name] = entry.content;
    EXPECT_TRUE(!archive->empty() && archive->front().name == "mimetype" && archive->front().stored)
        << epub << ": the mimetype must come first, stored";
    return entries;
}

// A converter that keeps the package it is given, so that the Kindle variant
// of the book can be read.
void installKindlegen(const TestFolder& folder) {
    const std::string path = folder.write("xdg-data/Quillary/kindlegen",
        "#!/bin/sh\necho 'Amazon kindlegen(Linux) V2.9 build 1028'\n[ $# -eq 0 ] && exit 0\n"
        "cp \"$1\" '" + folder.file("received.epub") + "'\n"
        "{ head -c 60 /dev/zero; echo BOOKMOBI; } >\"${1%.epub}.mobi\"\n");
    EXPECT_TRUE(files::setPermissions(path, 0755));
}

void expectPresence(const Entries& entries, const Check& check, bool present) {
    const auto entry = entries.find("OEBPS/" + check.file);
    const bool found = entry != entries.end() && text::contains(entry->second, check.text);
    EXPECT_EQ(found, present) << check.kind << " " << check.file << " | " << check.text;
}

void expectEpubCheck(const std::string& epub, const std::vector<std::string>& allowedErrors) {
    const EpubCheckVerdict verdict = runEpubCheck(epub);
    ASSERT_TRUE(verdict.ran) << "epubcheck is not installed";
    if (allowedErrors.empty()) {
        EXPECT_TRUE(verdict.passed) << verdict.output;
        return;
    }
    std::size_t errors = 0;
    for (const std::string& line : text::split(verdict.output, "\n")) {
        if (!line.starts_with("ERROR(")) continue;
        ++errors;
        bool allowed = false;
        for (const std::string& text : allowedErrors) allowed = allowed || text::contains(line, text);
        EXPECT_TRUE(allowed) << line;
    }
    EXPECT_EQ(errors, allowedErrors.size()) << verdict.output;
}

void makeAndCheck(const TestFolder& folder, const std::string& book, const Build& build, int number) {
    SCOPED_TRACE(build.arguments);
    if (!build.needs.empty() && !findExecutableOnPath(build.needs)) GTEST_SKIP() << build.needs << " is not installed";
    if (build.kindle) installKindlegen(folder);
    const std::string epub = folder.file("book" + std::to_string(number) + ".epub");
    std::string report, said;
    ASSERT_EQ(runQuillary("build '" + folder.file(book) + "'/" + build.arguments + " -o '" + epub + "' --report json",
                          report, &said),
              0)
        << said;
    EXPECT_EQ(report.find('\n'), report.size() - 1) << "standard output holds the report alone:\n" << report;
    const Entries entries = entriesOf(epub);
    ASSERT_FALSE(entries.empty()) << "no readable book";
    for (const auto& [name, content] : entries) {
        if (name.ends_with(".xhtml") || name.ends_with(".opf") || name.ends_with(".ncx") || name.ends_with(".xml")) {
            EXPECT_TRUE(epub::wellFormed(content)) << name << ": " << epub::wellFormed(content).reason();
        }
    }
    const Entries received = build.kindle ? entriesOf(folder.file("received.epub")) : Entries{};
    for (const Check& check : build.checks) {
        const std::string& output = check.kind == "report" ? report : said;
        if (check.kind == "report" || check.kind == "said") {
            EXPECT_TRUE(text::contains(output, check.text)) << check.text << "\n" << output;
        } else if (check.kind == "checked") {
            std::string out, err;
            EXPECT_EQ(runQuillary("check '" + epub + "'", out, &err), std::stoi(check.file)) << out << err;
            EXPECT_TRUE(text::contains(out + err, check.text)) << check.text << "\n" << out << err;
        } else {
            expectPresence(check.kind.starts_with("received") ? received : entries, check,
                           check.kind == "has" || check.kind == "received");
        }
    }
    expectEpubCheck(epub, build.epubCheckErrors);
}

// The files under a folder as a zip archive, named by their paths inside it.
std::string packed(const std::string& folder) {
    ZipEntries entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        entries.emplace_back(std::filesystem::relative(entry.path(), folder).string(),
                             files::readFile(entry.path().string()).value_or(""));
    }
    return zipArchive(entries);
}

class BookTest : public ::testing::TestWithParam<std::string> {};

TEST_P(BookTest, EveryBuildGivesTheExpectedValidBook) {
    TestFolder folder;
    const std::string source = suiteSetting("QUILLARY_FIXTURES") + "/books/" + GetParam();
    const std::string copy = folder.makeFolder(GetParam());
    for (const std::string& name : files::listFolder(source)) {
        if (name.ends_with(".docx.parts"))
            folder.write(GetParam() + "/" + name.substr(0, name.size() - 6), packed(source + "/" + name));
        else EXPECT_TRUE(files::copyFile(source + "/" + name, copy + "/" + name));
    }
    const auto expectations = files::readFile(source + "/expect.txt");
    ASSERT_TRUE(expectations) << "no expect.txt in " << source;
    const std::vector<Build> builds = readExpectations(*expectations);
    ASSERT_FALSE(builds.empty());
    for (std::size_t n = 0; n < builds.size(); ++n) makeAndCheck(folder, GetParam(), builds[n], static_cast<int>(n));
}

INSTANTIATE_TEST_SUITE_P(Books, BookTest,
                         ::testing::Values("tale", "every-directive", "media", "placements", "problems", "stylesheet",
                                           "word-processors", "word-processor-headings",
                                           "pictures", "notes-languages", "languages"));

TEST(HelpPage, IsWellFormed) {
    const auto page = files::readFile(suiteSetting("QUILLARY_RESOURCES") + "/help/HowToPrepare.html");
    ASSERT_TRUE(page);
    EXPECT_TRUE(epub::wellFormed(*page));
}

}  // namespace
}  // namespace quillary::testing
