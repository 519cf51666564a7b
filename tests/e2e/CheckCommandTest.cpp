// `quillary check` without EPUBCheck; its verdicts on valid and invalid
// books are rows of the book data (tale, problems).

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/EpubInspector.h"
#include "support/TestFolder.h"

using quillary::testing::TestFolder;

TEST(CheckCommand, WithoutEpubCheckTheAuthorIsToldHowToInstallIt) {
    TestFolder folder;
    const std::string book = folder.write("Book.epub", "never read");
    // Set and empty, the override names no EPUBCheck.
    ::setenv("QUILLARY_EPUBCHECK", "", 1);
    std::string out, err;
    const int status = quillary::testing::runQuillary("check '" + book + "'", out, &err);
    ::unsetenv("QUILLARY_EPUBCHECK");
    EXPECT_EQ(status, 2) << out << err;
    EXPECT_NE(err.find("EPUBCheck is not installed"), std::string::npos) << err;
    EXPECT_NE(err.find("apt install epubcheck"), std::string::npos) << err;
}
