#pragma once
// The localised texts: key -> text in the author's language.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillary {

class Localizer {
public:
    Localizer() = default;
    explicit Localizer(std::map<std::string, std::string> table) : table_(std::move(table)) {}

    // Loads the gettext catalogues "<localeFolder>/<lang>/LC_MESSAGES/quillary.mo"
    // for the given languages, most wanted first ("de_DE", "de"); English is
    // always the last fallback. Catalogues that are missing or damaged are
    // skipped, so a Localizer is always usable.
    static Localizer load(const std::string& localeFolder, const std::vector<std::string>& languages);

    // The languages the environment asks for, most wanted first: LANGUAGE
    // (colon-separated), else LC_ALL, LC_MESSAGES, LANG; each with its
    // territory-free form after it ("de_DE.UTF-8" gives "de_DE", "de").
    static std::vector<std::string> languagesFromEnvironment();

    // The text for `key`, or the key itself when no catalogue has it.
    // Thread-safe: the table never changes after construction.
    std::string text(const std::string& key) const;
    bool has(const std::string& key) const { return table_.count(key) != 0; }

private:
    std::map<std::string, std::string> table_;
};

// The catalogues of the languages a book may be written in, each loaded
// from the locale folder the first time it is asked for and kept for the
// run. Any thread.
class Catalogues {
public:
    explicit Catalogues(std::string localeFolder) : folder_(std::move(localeFolder)) {}
    Catalogues(const Catalogues&) = delete;
    Catalogues& operator=(const Catalogues&) = delete;

    // The texts of `language` ("de", "de-AT": then "de" behind it), English behind them; "en" gives
    // English alone. The reference lives as long as the catalogues.
    const Localizer& of(const std::string& language) const;

private:
    std::string folder_;
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::unique_ptr<const Localizer>> loaded_;
};

}  // namespace quillary
