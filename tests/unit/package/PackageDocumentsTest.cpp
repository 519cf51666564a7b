#include "epub/BookFacts.h"
#include "epub/Ncx.h"
#include "epub/PackageDocument.h"
#include "epub/Pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "base/Text.h"
#include "platform/Files.h"
#include "support/TestFolder.h"

namespace quillary::epub {
namespace {

std::string shipped(const std::string& name) {
    return files::readFile(testing::suiteSetting("QUILLARY_RESOURCES") + "/" + name).value_or("");
}

BookFacts facts() {
    return {"The \"Long\" Way", "Ann Author", "Small Press", "Copyright 2024 Ann Author", "2024-05-17",
            "9781234567897", "Fiction", "he", "Cover", "jpg", true};
}

TEST(LanguageCode, FollowsTheTableTakesAnyWellFormedTagAndFallsBackToEnglish) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "en"},      {"9", "he"},        {"19", "tr"},         {"20", "en"},     {"", "en"},
        {"-1", "en"},     {"1x", "en"},       {"100", "en"},        {"en-gb", "en-GB"}, {"cs", "cs"},
        {"PT-br", "pt-BR"}, {"sr-latn-rs", "sr-Latn-RS"}, {"zh-yue-HK", "zh-yue-HK"}, {"es-419", "es-419"},
        {"de-CH-1901", "de-CH-1901"}, {"en-US-u-ca-gregory", "en-US-u-ca-gregory"}, {"x-klingon", "x-klingon"},
        {"en_GB", "en"},  {"en-", "en"},      {"a", "en"},          {"en-GB-x", "en"}, {"de-1901-1901", "en"},
        {"en-u", "en"},   {"toolonglang", "en"}, {"\xC3\xA9n", "en"}, {"<b>", "en"}};
    for (const auto& [stored, tag] : cases) EXPECT_EQ(languageCode(stored), tag) << stored;
    EXPECT_TRUE(isRightToLeftLanguage("ar-EG"));
    EXPECT_TRUE(isRightToLeftLanguage("fa"));
    EXPECT_FALSE(isRightToLeftLanguage("hr"));
}

TEST(BookIdentifier, AnIsbnStaysAndTheSharedStandInBecomesAUuidOfThisBook) {
    EXPECT_EQ(bookIdentifier("9781234567897", "T", "A"), "9781234567897");
    const std::string id = bookIdentifier("urn:uuid:12345", "Tale", "Ann");
    // Lower-case hexadecimal, version 8, the RFC variant.
    EXPECT_TRUE(std::regex_match(id, std::regex("urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-8[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
        << id;
    EXPECT_EQ(id, bookIdentifier("urn:uuid:12345", "Tale", "Ann")) << "a rebuild keeps the identity";
    EXPECT_NE(id, bookIdentifier("urn:uuid:12345", "Tale", "Bob"));
    EXPECT_NE(id, bookIdentifier("urn:uuid:12345", "Tal", "eAnn"));
}

TEST(FillPlaceholders, ReplacesEveryOccurrenceButNeverInsideInsertedText) {
    EXPECT_EQ(fillPlaceholders("$a-$b-$a$", {{"$a", "x$b"}, {"$b", "y"}}), "x$b-y-x$b$");
    EXPECT_EQ(fillPlaceholders("$book_name $books", {{"$book_name", "T"}}), "T $books");
    EXPECT_EQ(fillPlaceholders("", {{"$a", "x"}}), "");
    EXPECT_EQ(fillPlaceholders("$content\nX $content", {{"$content\n", "C\n"}}), "C\nX $content");
}

TEST(CoverPage, TitleLosesItsDoubleQuotes) {
    const std::string page = coverPage(shipped("cover-2.html"), facts());
    EXPECT_TRUE(text::contains(page, "The Long Way"));
    EXPECT_FALSE(text::contains(page, "\"Long\""));
    EXPECT_TRUE(text::contains(page, "src=\"images/cover.jpg\""));
    EXPECT_TRUE(text::contains(page, "xml:lang=\"he\""));
    EXPECT_FALSE(text::contains(page, "$"));
}

TEST(PackageTemplate, FillsTheBookKeepsTheFinishPlaceholdersAndWholeCoverLines) {
    for (const char* name : {"content-2.opf", "content-3.opf"}) {
        const std::string opf = packageTemplate(shipped(name), facts());
        SCOPED_TRACE(name);
        EXPECT_TRUE(text::contains(opf, "<dc:title>The \"Long\" Way</dc:title>"));
        EXPECT_TRUE(text::contains(opf, ">2024-05-17T08:00:00Z<"));
        EXPECT_TRUE(text::contains(opf, "<dc:language>he</dc:language>"));
        EXPECT_TRUE(text::contains(opf, ">9781234567897</dc:identifier>"));
        EXPECT_TRUE(text::contains(opf, "href=\"images/cover.jpg\" media-type=\"image/jpeg\""));
        EXPECT_EQ(std::count(opf.begin(), opf.end(), '$'), 3);
        // Hebrew reads right to left; only the EPUB 3 package can say so.
        EXPECT_TRUE(text::contains(opf, text::contains(name, "3") ? "<spine page-progression-direction=\"rtl\">\n"
                                                                  : "<spine toc=\"ncx\">\n"));
        // The cover lines are the ones a Kindle variant can drop.
        EXPECT_TRUE(text::contains(opf, "\n    <itemref idref=\"cover\"/>\n"));
        for (const std::string& line : text::split(opf, "\n")) {
            if (!text::contains(line, "cover.xhtml")) continue;
            // Such a line is dropped whole: it must be one whole element.
            const std::string trimmed = text::trimBlanksAndTabs(line);
            EXPECT_TRUE(text::startsWith(trimmed, "<") && text::endsWith(trimmed, "/>")) << line;
        }
    }
}

TEST(PackageTemplate, EmptyOptionalMetadataAndAMissingCoverLeaveNoTrace) {
    BookFacts f = facts();
    f.publisher.clear();
    f.genre.clear();
    f.hasCover = false;
    f.coverExtension = "png";
    f.language = "fr";
    const std::string opf = packageTemplate(shipped("content-3.opf"), f);
    EXPECT_TRUE(text::contains(opf, "<spine>\n"));
    EXPECT_FALSE(text::contains(opf, "dc:publisher"));
    EXPECT_FALSE(text::contains(opf, "dc:subject"));
    EXPECT_TRUE(text::contains(opf, "<dc:creator>Ann Author</dc:creator>"));
    EXPECT_FALSE(text::contains(opf, "cover-image"));
    EXPECT_FALSE(text::contains(opf, "images/cover"));
    EXPECT_TRUE(text::contains(opf, "<itemref idref=\"cover\"/>"));
}

TEST(Ncx, PointsAtNoCoverPageAndTakesTheNavMapLast) {
    const std::string ncx = ncxTemplate(shipped("toc-2.ncx"), facts());
    // The Kindle variant has no cover page: nothing may point at it.
    EXPECT_FALSE(text::contains(ncx, "cover.xhtml"));
    const std::string done = finishedNcx(ncx, "    <navPoint/>\n");
    EXPECT_TRUE(text::contains(done, "<navMap>\n    <navPoint/>\n  </navMap>"));
}

TEST(ContentsPage, TheSectionTemplatesRootElementGetsTheLanguage) {
    const std::string epub3 = withDirection(withLanguage(shipped("section-3.html"), "he", true), "he");
    EXPECT_TRUE(text::contains(epub3, "<html dir=\"rtl\" xml:lang=\"he\" lang=\"he\" xmlns="));
    const std::string epub2 = withLanguage(shipped("section-2.html"), "fr", false);
    EXPECT_TRUE(text::contains(epub2, "<html xml:lang=\"fr\" xmlns="));
    EXPECT_FALSE(text::contains(epub2, " lang="));
    EXPECT_EQ(withLanguage(epub2, "fr", false), epub2);
    EXPECT_EQ(withLanguage("no root", "fr", false), "no root");
}

}  // namespace
}  // namespace quillary::epub
