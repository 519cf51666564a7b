#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Localizer.h"
#include "base/Text.h"
#include "platform/Files.h"
#include "support/TestFolder.h"

using namespace quillary;

namespace {
std::string locales() { return quillary::testing::suiteSetting("QUILLARY_RESOURCES") + "/locale"; }

int countPlaceholders(const std::string& text) {
    int n = 0;
    for (std::size_t p = text.find("%@"); p != std::string::npos; p = text.find("%@", p + 2)) ++n;
    return n;
}

// The keys the English catalogue's source defines.
std::vector<std::string> englishKeys() {
    const auto po = files::readFile(quillary::testing::suiteSetting("QUILLARY_FIXTURES") + "/../../resources/po/en.po");
    std::vector<std::string> keys;
    for (const std::string& line : text::split(po.value_or(""), "\n"))
        if (line.starts_with("msgid \"") && line.size() > 8) keys.push_back(line.substr(7, line.size() - 8));
    return keys;
}
}  // namespace

TEST(Localizer, GermanTranslatesEveryEnglishKeyWithTheSamePlaceholders) {
    const Localizer english = Localizer::load(locales(), {"en"});
    const Localizer german = Localizer::load(locales(), {"de"});
    const std::vector<std::string> keys = englishKeys();
    ASSERT_GE(keys.size(), 40u);
    for (const std::string& key : keys) {
        if (key != "OK") {
            EXPECT_NE(german.text(key), english.text(key)) << "untranslated: " << key;
        }
        EXPECT_EQ(countPlaceholders(german.text(key)), countPlaceholders(english.text(key))) << key;
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
