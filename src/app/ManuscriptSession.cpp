#include "app/ManuscriptSession.h"

#include "app/BookInformation.h"
#include "app/ManuscriptTypes.h"
#include "app/PreferenceKeys.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::app {

ManuscriptSession::ManuscriptSession(Window& window, Preferences& preferences, std::string dataFolder)
    : window_(window), preferences_(preferences), dataFolder_(std::move(dataFolder)) {}

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
    const std::optional<StoredBookInformation> stored = findBookInformation(dataFolder_, path);
    if (stored || !window_.manuscriptLocation().empty()) {
        const BookInfo fields = fieldsFromStored(path, stored ? std::optional(stored->text) : std::nullopt);
        window_.setFieldText(BookField::Title, fields.title);
        window_.setFieldText(BookField::Author, fields.author);
        window_.setFieldText(BookField::Publisher, fields.publisher);
        window_.setFieldText(BookField::Copyright, fields.copyright);
        window_.setFieldText(BookField::Isbn, fields.isbn);
        window_.setPubDate(parsePublicationDate(fields.date).value_or(today()));
        window_.setFieldText(BookField::Genre, fields.genre);
        window_.setLanguageIndex(parseLanguageIndex(fields.language));
    }
    const std::string folder = paths::deletingLastComponent(path);
    window_.setManuscriptLocation(paths::lastComponent(path));
    if (files::exists(folder + "/cover.png")) window_.setCoverPreview(folder + "/cover.png");
    else if (files::exists(folder + "/cover.jpg")) window_.setCoverPreview(folder + "/cover.jpg");
    else window_.setCoverPreview({});
    window_.setMakeEnabled(true);
}

}  // namespace quillary::app
