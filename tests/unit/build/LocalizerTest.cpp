#include <gtest/gtest.h>

#include <cstdlib>

#include "build/Localizer.h"
#include "support/TestFolder.h"

using namespace quillary;

namespace {
const char* const kAllKeys[] = {
    "ePubGenMsg", "KindleGenMsg", "LoadingMsg", "OK", "MakeFailTitle", "MakeFailMsg",
    "FormattingErrTitle", "FormattingErrMsg", "ContentsTitle", "EndnotesTitle", "CoverTitle",
    "noKindleGenTitle", "noKindleGenMsg", "oldKindleGenTitle", "oldKindleGenMsg", "GetKindleGen",
    "noKindleMacTitle", "noKindleMacMsg", "GetKindleForMac", "Cancel", "badFilenameTitle",
    "badFilenameMsg", "missingFilesTitle", "missingFilesMsg", "dupeMarksTitle", "dupeMarksMsg",
    "badLinksTitle", "badLinksMsg", "missingMarksTitle", "missingMarksMsg", "negMarginsTitle",
    "negMarginsMsg", "noEndTitle", "noEndsMsg", "VersionFailTitle", "VersionFailMsg", "ProductSite",
    "ArchiveFailMsg", "KindleFailTitle", "KindleFailMsg", "noAltTextTitle", "noAltTextMsg", "A11ySummaryText",
    "A11ySummaryHeadings", "A11ySummaryImagesDescribed", "A11ySummaryImagesUndescribed", "A11ySummaryAudio",
    "A11ySummaryVideo", "A11ySummaryAnimation"};
const char* const kMessagesWithOneArgument[] = {"MakeFailMsg", "FormattingErrTitle", "FormattingErrMsg",
                                                "missingFilesMsg", "badLinksMsg", "missingMarksMsg",
                                                "ArchiveFailMsg", "KindleFailMsg", "noAltTextMsg"};

std::string locales() { return quillary::testing::suiteSetting("QUILLARY_RESOURCES") + "/locale"; }

int countPlaceholders(const std::string& text) {
    int n = 0;
    for (std::size_t p = text.find("%@"); p != std::string::npos; p = text.find("%@", p + 2)) ++n;
    return n;
}
}  // namespace

TEST(Localizer, EnglishAndGermanCatalogueHaveEveryKeyWithTheRightPlaceholders) {
    for (const char* language : {"en", "de"}) {
        // German falls back to English: the untranslated check below finds gaps.
        const Localizer texts = Localizer::load(locales(), {language});
        const Localizer englishOnly = Localizer::load(locales(), {});
        for (const char* key : kAllKeys) {
            EXPECT_TRUE(texts.has(key)) << language << " lacks " << key;
            if (std::string(language) == "de" && std::string(key) != "OK") {
                EXPECT_NE(texts.text(key), englishOnly.text(key)) << "untranslated: " << key;
            }
        }
        for (const char* key : kMessagesWithOneArgument)
            EXPECT_EQ(countPlaceholders(texts.text(key)), 1) << language << " " << key;
    }
}

TEST(Localizer, MissingKeyGivesTheKeyAndDamagedCataloguesAreSkipped) {
    quillary::testing::TestFolder folder;
    folder.write("locale/fr/LC_MESSAGES/quillary.mo", "not a catalogue at all");
    const Localizer damaged = Localizer::load(folder.path() + "/locale", {"fr"});
    EXPECT_EQ(damaged.text("OK"), "OK");
    const Localizer german = Localizer::load(locales(), {"de"});
    EXPECT_EQ(german.text("NoSuchKey"), "NoSuchKey");
    EXPECT_EQ(german.text("Cancel"), "Abbrechen");
    EXPECT_EQ(Localizer::load(locales(), {"sv"}).text("Cancel"), "Cancel");  // English fallback
}

TEST(Localizer, LanguagesComeFromTheEnvironmentAsGettextReadsIt) {
    quillary::testing::TestFolder folder;  // restores nothing of these: set and unset them here
    ::setenv("LANGUAGE", "fr_CA:de", 1);
    ::setenv("LC_ALL", "de_AT.UTF-8", 1);
    EXPECT_EQ(Localizer::languagesFromEnvironment(),
              (std::vector<std::string>{"fr_CA", "fr", "de", "de_AT", "de"}));
    ::setenv("LC_ALL", "C", 1);
    EXPECT_TRUE(Localizer::languagesFromEnvironment().empty());
    ::unsetenv("LANGUAGE");
    ::unsetenv("LC_ALL");
}
