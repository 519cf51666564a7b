#include <cstdio>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "manuscript/Normalise.h"
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

namespace {

// Each field is one line of the book-information file: a line break typed
// or pasted into one would move every later field up a line when the file
// is read back, so it becomes a blank here, for the book too.
BookInfo typedBookInfo(Window& window) {
    const auto field = [&window](BookField f) {
        return text::trimBlanksAndTabs(text::withLineBreaksAsBlanks(window.fieldText(f)));
    };
    return {.title = field(BookField::Title),
            .author = field(BookField::Author),
            .publisher = field(BookField::Publisher),
            .copyright = field(BookField::Copyright),
            .date = formatDate(window.pubDate()),
            .isbn = field(BookField::Isbn),
            .genre = field(BookField::Genre),
            .language = std::to_string(window.languageIndex())};
}

// The book information as the book states it: stand-ins for what the
// author left empty, and the ISBN without its separators.
BookInfo bookInfoForTheBook(const BookInfo& typed) {
    std::string identifier = typed.isbn;
    for (const char* separator : {"-", "/", ":"}) identifier = removingAll(identifier, separator);
    return {.title = orDefault(typed.title, "No Title!"),
            .author = orDefault(typed.author, "No Author"),
            .publisher = orDefault(typed.publisher, "No Publisher"),
            .copyright = orDefault(typed.copyright, "No Copyright"),
            .date = typed.date,
            .isbn = text::trimBlanksAndTabs(identifier),
            .genre = orDefault(typed.genre, "No Genre"),
            .language = typed.language};
}

void writeBookInformationFile(const std::optional<std::string>& folder, const std::string& manuscript,
                              const BookInfo& stored) {
    if (!folder) return;
    std::string content;
    for (const std::string* line : stored.inFileOrder()) {
        if (line != &stored.title) content += "\n";
        content += *line;
    }
    const std::string name = paths::deletingExtension(paths::lastComponent(manuscript));
    files::writeFileAtomically(*folder + "/" + name + "Info.txt", content);
}

}  // namespace

void VoveZedevir::savePanelEndedWithName(const std::string& name, const std::string& folder,
                                         int returnCode) {
    if (returnCode != 1 || building) return;
    building = true;
    ports.window.setMakeEnabled(false);
    result = BuildResult{};

    BuildRequest order{.manuscript = theFile,
                       .manuscriptFolder = root,
                       .destinationFolder = folder,
                       .bookName = paths::deletingExtension(name),
                       .bookInfo = {},
                       .epub3 = ports.preferences.boolForKey(prefs::kEpub3),
                       .kindle = ports.preferences.integerForKey(prefs::kBuildKindle) != 0};
    BookInfo typed = typedBookInfo(ports.window);
    // The file keeps the book information as typed, but for the stand-ins.
    BookInfo stored = bookInfoForTheBook(typed);
    stored.isbn = typed.isbn;
    writeBookInformationFile(applicationDirectory(), theFile, stored);

    order.bookInfo = bookInfoForTheBook(typed);
    for (std::string* entry : order.bookInfo.inFileOrder())
        if (entry != &order.bookInfo.language) *entry = publicationForm(*entry, order.epub3);
    if (order.bookInfo.isbn.empty()) order.bookInfo.isbn = "urn:uuid:12345";
    request = std::move(order);

    ports.window.setProgressIndeterminate(true);
    ports.window.setProgressHidden(false);
    ports.window.setStatusHidden(false);
    startInBackground([this] { extractHTML(); });
}

std::string VoveZedevir::publicationForm(const std::string& entry, bool epub3) const {
    // Normalising must see the "<br>" the author typed, so the other angle
    // brackets are escaped only after it: a "<" left in the title would open
    // a tag in every page that shows it, and reading systems reject the book.
    // The references that normalising writes hold neither bracket.
    std::string form = fixEncodings(text::replacedAll(entry, "&", "&amp;"), true, epub3);
    text::replaceAll(form, "<", "&lt;");
    text::replaceAll(form, ">", "&gt;");
    return form;
}

void VoveZedevir::archiveFailed() {
    hideBuildProgress();
    const std::string& reason = result.epubError;
    if (texts.has("MakeFailTitle") && texts.has("ArchiveFailMsg")) {
        showSimpleAlert("MakeFailTitle", "ArchiveFailMsg", {}, {reason});
    } else {
        // A resources folder without its catalogues would leave the author
        // with the bare keys and no reason; the reason matters more than
        // the language.
        Alert alert;
        alert.titleKey = "MakeFailTitle";
        alert.title = "The book could not be made";
        alert.message = "The EPUB file could not be written: " + reason + ".";
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
