#include "platform/Localizer.h"

#include <cstdint>
#include <cstdlib>

#include "base/Text.h"
#include "platform/Files.h"

namespace quillary {

namespace {

// A compiled gettext catalogue (.mo): a header, then two tables of
// (length, offset) pairs for the original and the translated strings.
class MoFile {
public:
    explicit MoFile(const std::string& bytes) : bytes_(bytes) {}

    bool readInto(std::map<std::string, std::string>& table) const {
        std::uint32_t magic = 0;
        if (!word(0, magic, false)) return false;
        if (magic == 0x950412deu) swapped_ = false;
        else if (magic == 0xde120495u) swapped_ = true;
        else return false;
        std::uint32_t count = 0, originals = 0, translations = 0;
        if (!word(8, count) || !word(12, originals) || !word(16, translations)) return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string key, value;
            if (!entry(originals + 8 * i, key) || !entry(translations + 8 * i, value)) return false;
            // The header entry has an empty key; plural forms keep their singular.
            if (key.empty()) continue;
            key = key.substr(0, key.find('\0'));
            value = value.substr(0, value.find('\0'));
            if (!value.empty()) table.emplace(key, value);  // earlier catalogues win
        }
        return true;
    }

private:
    bool word(std::uint64_t offset, std::uint32_t& out, bool honourSwap = true) const {
        if (offset + 4 > bytes_.size()) return false;
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + offset);
        out = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
              std::uint32_t(p[3]) << 24;
        if (honourSwap && swapped_)
            out = (out >> 24) | ((out >> 8) & 0xff00u) | ((out << 8) & 0xff0000u) | (out << 24);
        return true;
    }
    bool entry(std::uint64_t offset, std::string& out) const {
        std::uint32_t length = 0, start = 0;
        if (!word(offset, length) || !word(offset + 4, start)) return false;
        if (std::uint64_t(start) + length > bytes_.size()) return false;
        out.assign(bytes_, start, length);
        return true;
    }

    const std::string& bytes_;
    mutable bool swapped_ = false;
};

void addWithoutTerritory(std::vector<std::string>& languages, const std::string& raw) {
    // "de_DE.UTF-8@euro" -> "de_DE", then "de".
    std::string name = raw.substr(0, raw.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return;
    languages.push_back(name);
    const auto underscore = name.find('_');
    if (underscore != std::string::npos) languages.push_back(name.substr(0, underscore));
}

}  // namespace

Localizer Localizer::load(const std::string& localeFolder,
                          const std::vector<std::string>& wanted) {
    std::vector<std::string> chain = wanted;
    chain.push_back("en");
    std::map<std::string, std::string> table;
    for (const std::string& language : chain) {
        const auto bytes = files::readFile(localeFolder + "/" + language + "/LC_MESSAGES/quillary.mo");
        if (bytes) MoFile(*bytes).readInto(table);
    }
    return Localizer(std::move(table));
}

const Localizer& Catalogues::of(const std::string& language) const {
    std::lock_guard lock(mutex_);
    std::unique_ptr<const Localizer>& catalogue = loaded_[language];
    // A regional tag ("pt-BR") takes its language's texts when it has none of its own.
    const std::string primary = language.substr(0, language.find('-'));
    if (!catalogue) catalogue = std::make_unique<const Localizer>(Localizer::load(folder_, {language, primary}));
    return *catalogue;
}

std::vector<std::string> Localizer::languagesFromEnvironment() {
    std::vector<std::string> languages;
    const auto setting = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    std::string locale = setting("LC_ALL");
    if (locale.empty()) locale = setting("LC_MESSAGES");
    if (locale.empty()) locale = setting("LANG");
    // As with gettext, a C locale asks for no translation, whatever LANGUAGE says.
    if (locale == "C" || locale == "POSIX") return languages;
    for (const std::string& item : text::split(setting("LANGUAGE"), ":"))
        addWithoutTerritory(languages, item);
    addWithoutTerritory(languages, locale);
    return languages;
}

std::string Localizer::text(const std::string& key) const {
    auto it = table_.find(key);
    return it == table_.end() ? key : it->second;
}

}  // namespace quillary
