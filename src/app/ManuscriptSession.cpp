#include "app/ManuscriptSession.h"

#include "app/BookInformation.h"
#include "app/ManuscriptTypes.h"
#include "app/PreferenceKeys.h"
#include "app/RecentManuscripts.h"
#include "base/Text.h"
#include "book/Languages.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::app {

BookInfo fieldsOf(const Window& window) {
    return {.title = window.fieldText(BookField::Title),
            .author = window.fieldText(BookField::Author),
            .publisher = window.fieldText(BookField::Publisher),
            .copyright = window.fieldText(BookField::Copyright),
            .date = formatDate(window.pubDate()),
            .isbn = window.fieldText(BookField::Isbn),
            .genre = window.fieldText(BookField::Genre),
            .language = window.language()};
}

namespace {

std::string adviceOn(const BookInfo& fields, const Localizer& texts) {
    std::string advice = isbnCheckDigitAdvice(fields.isbn, texts);
    const std::string language = text::trimBlanksAndTabs(fields.language);
    if (!language.empty() && !quickListIndex(language) && !isWellFormedLanguageTag(language))
        advice += std::string(advice.empty() ? "" : " ") +
                  text::format(texts.text("\u201c%@\u201d is not a language tag (such as en-GB, cs or pt-BR): the "
                                          "book is made in English."),
                               {language});
    return advice;
}

}  // namespace

ManuscriptSession::ManuscriptSession(Window& window, Preferences& preferences, std::string dataFolder,
                                     const Localizer& texts)
    : window_(window), preferences_(preferences), dataFolder_(std::move(dataFolder)), texts_(texts) {}

void ManuscriptSession::choose(std::function<void(const std::string& path)> chosen) {
    const OpenPanelRequest request{kManuscriptExtensions,
                                   paths::expandTilde(preferences_.stringForKey(prefs::kParentDirectory))};
    window_.beginOpenPanel(request, [this, chosen = std::move(chosen)](int returnCode, const std::string& path) {
        if (returnCode != 1) return;
        preferences_.setString(prefs::kParentDirectory,
                               paths::deletingLastComponent(paths::deletingLastComponent(path)));
        chosen(path);
    });
}

void ManuscriptSession::load(const std::string& path) {
    manuscript_ = path;
    addRecentManuscript(preferences_, path);
    const std::optional<StoredBookInformation> stored = findBookInformation(dataFolder_, path);
    const DocumentProperties properties = readDocumentProperties(path);
    bool propertiesUsed = false;
    if (stored || !properties.empty() || !window_.manuscriptLocation().empty()) {
        const BookInfo fields =
            fieldsFromStored(path, stored ? std::optional(stored->text) : std::nullopt, properties, &propertiesUsed);
        window_.setFieldText(BookField::Title, fields.title);
        window_.setFieldText(BookField::Author, fields.author);
        window_.setFieldText(BookField::Publisher, fields.publisher);
        window_.setFieldText(BookField::Copyright, fields.copyright);
        window_.setFieldText(BookField::Isbn, fields.isbn);
        window_.setPubDate(parsePublicationDate(fields.date).value_or(today()));
        window_.setFieldText(BookField::Genre, fields.genre);
        window_.setLanguage(fields.language);
    }
    std::string source = informationSourceLine(stored, path, false, propertiesUsed, texts_);
    if (const std::string refused = stored ? "" : besideInformationRefusal(path, texts_); !refused.empty())
        source += "\n" + refused;
    window_.setInformationSource(source);
    window_.setFieldAdvice(adviceOn(fieldsOf(window_), texts_));
    const std::string folder = paths::deletingLastComponent(path);
    window_.setManuscriptLocation(paths::lastComponent(path));
    if (files::exists(folder + "/cover.png")) window_.setCoverPreview(folder + "/cover.png");
    else if (files::exists(folder + "/cover.jpg")) window_.setCoverPreview(folder + "/cover.jpg");
    else window_.setCoverPreview({});
    window_.setMakeEnabled(true);
}

}  // namespace quillary::app

namespace quillary::app {

void ManuscriptSession::fieldsEdited() {
    window_.setFieldAdvice(adviceOn(fieldsOf(window_), texts_));
    if (manuscript_.empty() || dataFolder_.empty()) return;
    // Kept for the author's next session; a failure here is told by the
    // build, which stores them again.
    if (files::makeFolders(dataFolder_) && storeBookInformation(dataFolder_, manuscript_, fieldsOf(window_)))
        window_.setInformationSource(text::format(texts_.text("Book information saved to %@."),
                                                  {storedInformationPath(dataFolder_, manuscript_)}));
}

}  // namespace quillary::app
