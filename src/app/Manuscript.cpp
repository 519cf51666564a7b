#include "app/BookInformation.h"
#include "app/ManuscriptTypes.h"
#include "controller/VoveZedevir.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

void VoveZedevir::selectManuscript() {
    OpenPanelRequest request{kManuscriptExtensions,
                             paths::expandTilde(ports.preferences.stringForKey(prefs::kParentDirectory))};
    ports.window.beginOpenPanel(request, [this](int returnCode, const std::string& path) {
        openPanelDidEnd(returnCode, path);
    });
}

void VoveZedevir::openPanelDidEnd(int returnCode, const std::string& path) {
    if (returnCode != 1) return;
    ports.preferences.setString(prefs::kParentDirectory,
                                paths::deletingLastComponent(paths::deletingLastComponent(path)));
    takeManuscript(path);
}

bool VoveZedevir::openFile(const std::string& path) {
    if (hasManuscriptExtension(path)) {
        takeManuscript(path);
        return true;
    }
    if (paths::lastComponent(path) == "kindlegen") {
        installKindlegen(path);
        return true;
    }
    return false;
}

void VoveZedevir::takeManuscript(const std::string& path, FieldFilling filling) {
    // A running build reads the manuscript's path and folder from its own
    // thread: the new choice waits until the build has ended.
    if (building) {
        manuscriptChosenDuringBuild = path;
        return;
    }
    theFile = path;
    loadManuscript(filling);
}

bool VoveZedevir::installKindlegen(const std::string& path) {
    const std::string target = kindlegenPath();
    if (target.empty()) return false;
    // Copied under a temporary name and renamed, so a failed copy never
    // leaves half a converter where the build will run it.
    const std::string staging = target + ".installing";
    files::removeAll(staging);
    const bool installed = files::copyFile(path, staging) && files::setPermissions(staging, 0755) &&
                           files::moveFile(staging, target);
    if (!installed) files::removeAll(staging);
    return installed;
}

std::optional<std::string> VoveZedevir::bookInformationPath() const {
    std::vector<std::string> candidates;
    const std::string name = paths::deletingExtension(paths::lastComponent(theFile));
    if (const auto folder = applicationDirectory()) candidates.push_back(*folder + "/" + name + "Info.txt");
    candidates.push_back(root + "/bookInfo.txt");
    for (const std::string& path : candidates) {
        const auto bytes = files::readFile(path);
        if (bytes && !bytes->empty()) return path;
    }
    return std::nullopt;
}

std::optional<std::string> VoveZedevir::readBookInformation() const {
    const auto path = bookInformationPath();
    if (!path) return std::nullopt;
    const auto bytes = files::readFile(*path);
    if (!bytes || bytes->empty()) return std::nullopt;
    return decodeTextFile(*bytes);
}

void VoveZedevir::loadManuscript(FieldFilling filling) {
    root = paths::deletingLastComponent(theFile);
    BookInfo bookInfo{.title = paths::lastComponent(root)};
    const auto stored = readBookInformation();
    if (stored) applyBookInformation(*stored, bookInfo);

    Window& window = ports.window;
    if (stored || filling == FieldFilling::Always || !window.manuscriptLocation().empty()) {
        // An unreadable date shows today's, as a blank one does.
        const CivilDate date = bookInfo.date.empty() ? today()
                                                   : parsePublicationDate(bookInfo.date).value_or(today());
        window.setFieldText(BookField::Title, bookInfo.title);
        window.setFieldText(BookField::Author, bookInfo.author);
        window.setFieldText(BookField::Publisher, bookInfo.publisher);
        window.setFieldText(BookField::Copyright, bookInfo.copyright);
        window.setFieldText(BookField::Isbn, bookInfo.isbn);
        window.setPubDate(date);
        window.setFieldText(BookField::Genre, bookInfo.genre);
        window.setLanguageIndex(parseLanguageIndex(bookInfo.language));
    }
    window.setManuscriptLocation(paths::lastComponent(theFile));
    if (files::exists(root + "/cover.png")) window.setCoverPreview(root + "/cover.png");
    else if (files::exists(root + "/cover.jpg")) window.setCoverPreview(root + "/cover.jpg");
    else window.setCoverPreview({});
    window.setMakeEnabled(true);
}

}  // namespace quillary
