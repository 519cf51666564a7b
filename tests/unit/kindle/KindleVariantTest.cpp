#include <gtest/gtest.h>

#include "kindle/KindleVariant.h"
#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/TestFolder.h"

using namespace quillary;
using quillary::testing::TestFolder;

TEST(KindlePackageDocument, DropsEveryCoverPageLineAndKeepsTheRestInOrder) {
    const std::string opf =
        "<manifest>\n"
        "<item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
        "<item id=\"cover-image\" href=\"images/cover.jpg\" media-type=\"image/jpeg\"/>\n"
        "<item id=\"s1\" href=\"section1.xhtml\"/>\n"
        "</manifest>\n"
        "<spine toc=\"ncx\">\n"
        "<itemref idref=\"cover\"/>\n"
        "<itemref idref=\"cover-image\"/>\n"
        "<itemref idref=\"s1\"/>\n"
        "</spine>\n"
        "<guide><reference type=\"cover\" href=\"cover.xhtml\"/></guide>";
    EXPECT_EQ(kindle::withoutCoverPage(opf),
              "<manifest>\n"
              "<item id=\"cover-image\" href=\"images/cover.jpg\" media-type=\"image/jpeg\"/>\n"
              "<item id=\"s1\" href=\"section1.xhtml\"/>\n"
              "</manifest>\n"
              "<spine toc=\"ncx\">\n"
              "<itemref idref=\"cover-image\"/>\n"
              "<itemref idref=\"s1\"/>\n"
              "</spine>\n");
}

TEST(KindlePackageDocument, MatchesAreExactAndTheLastEmptyLineIsKept) {
    // Other spellings of the spine entry are not the cover's, and the text
    // after the final line end is a line of its own.
    EXPECT_EQ(kindle::withoutCoverPage("<itemref idref='cover'/>\n<itemref idref=\"cover\" />\n"),
              "<itemref idref='cover'/>\n<itemref idref=\"cover\" />\n\n");
    EXPECT_EQ(kindle::withoutCoverPage("COVER.XHTML\n"), "COVER.XHTML\n\n");
    EXPECT_EQ(kindle::withoutCoverPage(""), "\n");
    EXPECT_EQ(kindle::withoutCoverPage("a\r\ncover.xhtml\r\nb"), "a\r\nb\n");
}

TEST(KindlegenBanner, OnlyVersionTwoPointNineOrAboveIsRecent) {
    EXPECT_TRUE(kindle::isRecentKindlegenBanner("Amazon kindlegen(Linux) V2.9 build 1028-0897292"));
    EXPECT_TRUE(kindle::isRecentKindlegenBanner("V2.:"));
    EXPECT_FALSE(kindle::isRecentKindlegenBanner("Amazon kindlegen(Linux) V2.8 build 0615"));
    EXPECT_FALSE(kindle::isRecentKindlegenBanner("Amazon kindlegen(Linux) V1.9 build"));
    EXPECT_FALSE(kindle::isRecentKindlegenBanner("command not found"));
    EXPECT_FALSE(kindle::isRecentKindlegenBanner(""));
    EXPECT_FALSE(kindle::isRecentKindlegenBanner("kindlegen V2."));
    // Only the first "V2." counts.
    EXPECT_FALSE(kindle::isRecentKindlegenBanner("V2.0 (reads V2.9 files)"));
    // A byte above 0x7F is above "8", not a negative character.
    EXPECT_TRUE(kindle::isRecentKindlegenBanner("V2.\xC3\xA9"));
}

namespace {
// Installs a program that prints each of its arguments on a line of its own.
std::string installArgumentPrinter(const TestFolder& folder, const std::string& relativePath) {
    const std::string path =
        folder.write(relativePath, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
    files::setPermissions(path, 0755);
    return path;
}
}  // namespace

TEST(KindleCommands, AwkwardConverterPathsAndBookNamesReachTheConverterWhole) {
    TestFolder folder;
    const std::string name = "It's \"$HOME\" `x` a\\b \xC3\xA9";
    const std::string kindlegen = installArgumentPrinter(folder, "it's $HOME `x`/kindlegen");
    const std::string ebookConvert = installArgumentPrinter(folder, "\"q\" \\/ebook-convert");
    PosixShell shell;

    EXPECT_EQ(shell.run(kindle::kindlegenCommand(kindlegen, name)),
              "[" + name + "Kindle.epub]\n");
    EXPECT_EQ(shell.run(kindle::ebookConvertCommand(ebookConvert, name)),
              "[" + name + "Kindle.epub]\n[" + name + "Kindle.mobi]\n");
    EXPECT_EQ(shell.run(kindle::kindlegenBannerCommand(kindlegen)), "");
}

TEST(KindleCommands, ABookNamedLikeAnOptionIsPassedAsAPath) {
    EXPECT_EQ(kindle::kindlegenCommand("/k", "-o"), "'/k' \"./-oKindle.epub\"");
    EXPECT_EQ(kindle::ebookConvertCommand("/e", "-o"),
              "\"/e\" \"./-oKindle.epub\" \"./-oKindle.mobi\"");
    EXPECT_EQ(kindle::kindlegenCommand("/k", "Book"), "'/k' \"BookKindle.epub\"");
}
