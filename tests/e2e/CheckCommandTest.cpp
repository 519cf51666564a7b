// `quillary check`: EPUBCheck's verdict for the author,
// page by page with each page's first words.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

using namespace quillary;
using quillary::testing::TestFolder;
using quillary::testing::suiteSetting;

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(CheckCommand, ValidAndInvalidBooksAndNoEpubCheck) {
    if (!files::exists("/usr/share/java/epubcheck.jar")) GTEST_SKIP() << "EPUBCheck is not installed";
    TestFolder folder;
    const std::string plain = folder.write("Plain/Plain.rtf", "{\\rtf1 A short and valid book.\\par}");
    files::makeFolders(folder.file("Problems"));
    const std::string problems = folder.file("Problems/Problems.rtf");
    files::copyFile(suiteSetting("QUILLARY_FIXTURES") + "/books/problems/Problems.rtf", problems);
    std::string out, err;
    ASSERT_EQ(quillary::testing::runQuillary("build " + quoted(plain) + " -o " + quoted(folder.file("valid.epub")),
                                             out, &err), 0) << err;
    const std::string invalid = quoted(folder.file("invalid.epub"));
    ASSERT_EQ(quillary::testing::runQuillary("build " + quoted(problems) + " -o " + invalid, out, &err), 0) << err;

    const struct {
        std::string book;
        bool epubcheckMissing;
        int status;
        std::vector<std::string> told;
    } checks[] = {
        {"valid.epub", false, 0, {"no errors in valid.epub"}},
        {"invalid.epub", false, 1,
         {"Page OEBPS/section2.xhtml, which begins \u201cText of the first chapter, pointing to Nowhere",
          "ERROR RSC-007 (line 11): Referenced resource \"OEBPS/images/MissingPicture.png\""}},
        {"valid.epub", true, 2, {"EPUBCheck is not installed", "apt install epubcheck"}},
    };
    for (const auto& [book, epubcheckMissing, status, told] : checks) {
        // Set and empty, the override names no EPUBCheck.
        if (epubcheckMissing) ::setenv("QUILLARY_EPUBCHECK", "", 1);
        EXPECT_EQ(quillary::testing::runQuillary("check " + quoted(folder.file(book)), out, &err), status)
            << book << "\n" << out << err;
        ::unsetenv("QUILLARY_EPUBCHECK");
        for (const std::string& line : told) EXPECT_TRUE(contains(out + err, line)) << line << "\n" << out << err;
    }
}
