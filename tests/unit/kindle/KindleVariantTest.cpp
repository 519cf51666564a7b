#include <gtest/gtest.h>

#include "kindle/KindleVariant.h"
#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/TestFolder.h"

using namespace quillary;
using quillary::testing::TestFolder;

TEST(KindlegenBanner, OnlyVersionTwoPointNineOrAboveIsRecent) {
    const std::pair<const char*, bool> cases[] = {
        {"Amazon kindlegen(Linux) V2.9 build 1028-0897292", true}, {"V2.:", true},
        {"Amazon kindlegen(Linux) V2.8 build 0615", false}, {"Amazon kindlegen(Linux) V1.9 build", false},
        {"", false}, {"kindlegen V2.", false},
        {"V2.0 (reads V2.9 files)", false},  // only the first "V2." counts
        {"V2.\xC3\xA9", true},               // a byte above 0x7F is above "8", not negative
    };
    for (const auto& [banner, recent] : cases) EXPECT_EQ(kindle::isRecentKindlegenBanner(banner), recent) << banner;
}

namespace {
// Installs a program that prints each of its arguments on a line of its own.
std::string installArgumentPrinter(const TestFolder& folder, const std::string& relativePath) {
    const std::string path =
        folder.write(relativePath, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
    EXPECT_TRUE(files::setPermissions(path, 0755));
    return path;
}
}  // namespace

TEST(KindleCommands, AwkwardConverterPathsAndBookNamesReachTheConverterWholeAndNeverAsOptions) {
    TestFolder folder;
    const std::string kindlegen = installArgumentPrinter(folder, "it's $HOME `x`/kindlegen");
    const std::string ebookConvert = installArgumentPrinter(folder, "\"q\" \\/ebook-convert");
    const std::string awkward = "It's \"$HOME\" `x` a\\b \xC3\xA9";
    PosixShell shell;
    // calibre alone makes only the old MOBI 6 edition, with every picture a JPEG.
    const std::string kf8AndOriginalImages = "[--mobi-file-type]\n[both]\n[--mobi-keep-original-images]\n";
    for (const auto& [name, argument] : {std::pair{awkward, awkward + "Kindle"}, {"-o", "./-oKindle"}}) {
        EXPECT_EQ(shell.run(kindle::kindlegenCommand(kindlegen, name)).output, "[" + argument + ".epub]\n");
        EXPECT_EQ(shell.run(kindle::ebookConvertCommand(ebookConvert, name)).output,
                  "[" + argument + ".epub]\n[" + argument + ".mobi]\n" + kf8AndOriginalImages);
    }
    EXPECT_EQ(shell.run(kindle::kindlegenBannerCommand(kindlegen)).output, "");
}

TEST(KindleLists, ManuscriptListsBecomeParagraphsSoTheirMarkersShowOnce) {
    // Unordered lists are turned in the Kindle build test.
    const std::string section =
        "<ol class=\"ol1\">\n"
        "<li class=\"li1\"><span class=\"sz\">1. Open <b>it</b></span></li>\n"
        "<li dir=\"rtl\" class=\"li1\"><span class=\"sz\">2. Read</span></li>\n"
        "</ol>\n"
        "<div id=\"toc\"><ol>\n<li><a href=\"section1.xhtml\">One</a></li>\n</ol></div>\n";
    EXPECT_EQ(kindle::withListsAsParagraphs(section),
              "<div class=\"ol1\">\n"
              "<p class=\"li1\"><span class=\"sz\">1. Open <b>it</b></span></p>\n"
              "<p dir=\"rtl\" class=\"li1\"><span class=\"sz\">2. Read</span></p>\n"
              "</div>\n"
              "<div id=\"toc\"><ol>\n<li><a href=\"section1.xhtml\">One</a></li>\n</ol></div>\n");
    // Kindle readers would indent the first line of an item that sets no indent.
    EXPECT_EQ(kindle::withListRulesAsParagraphRules("p.p1 {margin: 0}\nli.li1 {margin: 1px}\n"
                                                    "li.li2 {margin: 2px; text-indent: -9.0px}\n"
                                                    "ol.ol1 {list-style-type: none}\nul.ul1 {list-style-type: none}\n"
                                                    "#toc ol li {margin: 0}"),
              "p.p1 {margin: 0}\np.li1 {text-indent: 0.0px; margin: 1px}\np.li2 {margin: 2px; text-indent: -9.0px}\n"
              "div.ol1 {list-style-type: none}\ndiv.ul1 {list-style-type: none}\n#toc ol li {margin: 0}");
}
