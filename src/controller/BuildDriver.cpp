#include <cstdio>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/BuildFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

std::string formatDate(const CivilDate& date) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

std::string orDefault(const std::string& value, const char* fallback) {
    return value.empty() ? fallback : value;
}

std::string removingAll(std::string text, std::string_view what) {
    text::replaceAll(text, what, "");
    return text;
}

}  // namespace

std::string VoveZedevir::defaultBookName() const {
    std::string name = removingAll(ports.window.fieldText(BookField::Isbn), "-");
    if (name.empty()) {
        name = text::replacedAll(ports.window.fieldText(BookField::Title), ":", "-");
        name = text::trimBlanksAndTabs(removingAll(name, "\""));
    }
    if (name.empty()) name = "No Title";
    // A slash would put the book into another folder than the one chosen.
    text::replaceAll(name, "/", "-");
    return name + ".epub";
}

void VoveZedevir::makeQuillary() {
    if (building) return;  // one build at a time: the command is disabled meanwhile
    SavePanelRequest request{defaultBookName(), root, "epub"};
    ports.window.beginSavePanel(request, [this](const std::string& name, const std::string& folder,
                                                int returnCode) {
        savePanelEndedWithName(name, folder, returnCode);
    });
}

void VoveZedevir::savePanelEndedWithName(const std::string& name, const std::string& folder,
                                         int returnCode) {
    if (returnCode != 1 || building) return;
    building = true;
    choices = OutputChoices{ports.preferences.boolForKey(prefs::kEpub3),
                            ports.preferences.integerForKey(prefs::kBuildKindle) != 0};
    ports.window.setMakeEnabled(false);
    saveName = paths::deletingExtension(name);
    saveRoot = folder;
    epubPath.clear();
    epubError.clear();
    mobiPath.clear();
    problemAlert.reset();

    Window& window = ports.window;
    // Each field is one line of the book-information file: a line break typed
    // or pasted into one would move every later field up a line when the
    // file is read back, so it becomes a blank here, for the book too.
    const auto field = [&window](BookField f) {
        return text::trimBlanksAndTabs(text::withLineBreaksAsBlanks(window.fieldText(f)));
    };
    const std::string isbnTyped = field(BookField::Isbn);
    std::string identifier = isbnTyped;
    for (const char* separator : {"-", "/", ":"}) identifier = removingAll(identifier, separator);
    identifier = text::trimBlanksAndTabs(identifier);

    bookInfo = {.title = orDefault(field(BookField::Title), "No Title!"),
                .author = orDefault(field(BookField::Author), "No Author"),
                .publisher = orDefault(field(BookField::Publisher), "No Publisher"),
                .copyright = orDefault(field(BookField::Copyright), "No Copyright"),
                .date = formatDate(window.pubDate()),
                .isbn = identifier,
                .genre = orDefault(field(BookField::Genre), "No Genre"),
                .language = std::to_string(window.languageIndex())};
    writeBookInformationFile(isbnTyped);

    for (std::string* entry : bookInfo.inFileOrder())
        if (entry != &bookInfo.language) *entry = publicationForm(*entry);
    if (bookInfo.isbn.empty()) bookInfo.isbn = "urn:uuid:12345";

    window.setProgressIndeterminate(true);
    window.setProgressHidden(false);
    window.setStatusHidden(false);
    startInBackground(&VoveZedevir::extractHTML);
}

std::string VoveZedevir::publicationForm(const std::string& entry) const {
    // Normalising must see the "<br>" the author typed, so the other angle
    // brackets are escaped only after it: a "<" left in the title would open
    // a tag in every page that shows it, and reading systems reject the book.
    // The references that normalising writes hold neither bracket.
    std::string form = fixEncodings(text::replacedAll(entry, "&", "&amp;"), true);
    text::replaceAll(form, "<", "&lt;");
    text::replaceAll(form, ">", "&gt;");
    return form;
}

void VoveZedevir::writeBookInformationFile(const std::string& isbnTyped) const {
    const auto folder = applicationDirectory();
    if (!folder) return;
    BookInfo stored = bookInfo;
    stored.isbn = isbnTyped;
    std::string content;
    for (const std::string* line : stored.inFileOrder()) {
        if (line != &stored.title) content += "\n";
        content += *line;
    }
    const std::string name = paths::deletingExtension(paths::lastComponent(theFile));
    files::writeFileAtomically(*folder + "/" + name + "Info.txt", content);
}

void VoveZedevir::extractComplete() {
    badFormatting = false;
    styleText = buildStyle();
    noEnd = false;
    invalidMediaFilenames = false;
    duplicateMarks = false;
    ports.window.setProgressRange(0, static_cast<double>(lines.size()));
    ports.window.setProgressValue(0);
    ports.window.setProgressIndeterminate(false);
    ports.window.setStatusText(localized("ePubGenMsg"));
    startInBackground(&VoveZedevir::buildePub);
}

void VoveZedevir::lineComplete() {
    ports.window.setProgressValue(static_cast<double>(currLine.load()));
}

void VoveZedevir::ePubComplete() {
    if (epubPath.empty()) {
        archiveFailed();
        return;
    }
    if (!kindleChosen()) {
        booksComplete();
        return;
    }
    ports.window.setProgressIndeterminate(true);
    ports.window.setStatusText(localized("KindleGenMsg"));
    startInBackground(&VoveZedevir::buildKindle);
}

void VoveZedevir::archiveFailed() {
    if (!tempDirectoryPath.empty()) package::removeBuildFolder(tempDirectoryPath);
    hideBuildProgress();
    if (texts.has("MakeFailTitle") && texts.has("ArchiveFailMsg")) {
        showSimpleAlert("MakeFailTitle", "ArchiveFailMsg", {}, {epubError});
    } else {
        // A resources folder without its catalogues would leave the author
        // with the bare keys and no reason; the reason matters more than
        // the language.
        Alert alert;
        alert.titleKey = "MakeFailTitle";
        alert.title = "The book could not be made";
        alert.message = "The EPUB file could not be written: " + epubError + ".";
        alert.defaultButton = localized("OK");
        alert.critical = true;
        showAlert(std::move(alert));
    }
    endBuild();
}

void VoveZedevir::hideBuildProgress() {
    ports.window.setStatusHidden(true);
    ports.window.setStatusText(localized("LoadingMsg"));
    ports.window.setProgressHidden(true);
}

std::optional<std::string> VoveZedevir::applicationDirectory() const {
    if (locations.dataHome.empty()) return std::nullopt;
    const std::string folder = locations.dataHome + "/Quillary";
    if (!files::makeFolders(folder)) return std::nullopt;
    return folder;
}

}  // namespace quillary
