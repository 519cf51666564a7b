// After the passes: the start entry of a right-to-left book, the contents
// page, the NCX, the package document, the archive, and the Kindle variant.
#include <charconv>
#include <optional>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/Accessibility.h"
#include "epub/Archive.h"
#include "epub/MediaMarkup.h"
#include "epub/PackageDocuments.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

struct StartEntry {
    int section = 0;
    std::string name;
};

std::optional<int> sectionOf(const std::string& fileName) {
    constexpr std::string_view prefix = "section", suffix = ".xhtml";
    if (!text::startsWith(fileName, prefix) || !text::endsWith(fileName, suffix)) return std::nullopt;
    const std::string_view digits(fileName.data() + prefix.size(),
                                  fileName.size() - prefix.size() - suffix.size());
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return number;
}

// When the counter has moved past the last section, no file of its number
// exists, so the entry cannot name it. A right-to-left book's first bookmark
// heads its first chapter, with only front matter before it: the entry names
// the section of that mark, as a "srh:" heading there would have done. With
// no mark on a written section, reading starts at the first section.
std::optional<StartEntry> rightToLeftStart(const EpubRun& run, int sectionsWritten,
                                           const std::string& fallbackName) {
    if (sectionsWritten < 1) return std::nullopt;
    std::optional<StartEntry> first;
    for (const auto& [name, file] : run.marks) {
        const auto section = sectionOf(file);
        if (!section || *section < 1 || *section > sectionsWritten) continue;
        if (!first || *section < first->section) first = StartEntry{*section, name};
    }
    if (first) return first;
    return StartEntry{1, run.pendingName.empty() ? fallbackName : run.pendingName};
}

// Navigation documents may not be empty: a book without a single named
// heading still gets one entry, for its first page.
void giveNavigationAnEntry(VoveZedevir& c, EpubRun& run, bool epub3, const std::string& label) {
    const std::string firstPage = c.sectionNumber > 1 ? "section1.xhtml" : "cover.xhtml";
    if (epub3 && run.contentsList.empty())
        run.contentsList = text::format("<li><a href=\"%@\">%@</a></li>\n", {firstPage, label});
    if (!epub3 && c.navmap.empty())
        c.navmap = package::ncxNavPoint(c.navPoint, label, firstPage);
}

// An archive named after the ISBN is an earlier build's, superseded once the
// new book exists (not before: a failed build must not cost the old one). A
// name that would reach outside the destination folder, or that is the
// book's own archive, is not touched; nor is any file that is not an EPUB of
// this very book: the author may keep anything under that name.
void removeArchiveNamedByIsbn(const std::string& saveRoot, const std::string& saveName,
                              const std::string& isbn) {
    if (isbn.empty() || isbn == saveName || isbn == "." || isbn == ".." || text::contains(isbn, "/")) return;
    const std::string archive = paths::join(saveRoot, isbn + ".epub");
    if (files::isDirectory(archive) || archive::packageIdentifier(archive) != isbn) return;
    files::removeAll(archive);
}

package::BookContent bookContent(const VoveZedevir& c, const EpubRun& run) {
    package::BookContent content;
    content.images = run.imagesShown;
    content.imagesWithoutAlternative = static_cast<int>(c.imagesWithoutAlternative.size());
    content.namedHeadings = run.headingEntries > 0;
    for (const std::string& name : run.images) {
        const std::string extension = text::lowercaseAscii(paths::extension(name));
        content.animatable = content.animatable || extension == "gif" || extension == "svg";
    }
    for (const std::string& name : run.media) {
        const bool audio = media::mediaKind(paths::extension(name)) == "audio";
        (audio ? content.audio : content.video) = true;
    }
    return content;
}

// "" when a catalogue lacks one of the sentences: half a summary in one
// language and keys in another would tell the reader nothing.
std::string summaryIn(const Localizer& texts, const std::vector<std::string>& keys) {
    std::string summary;
    for (const std::string& key : keys) {
        if (!texts.has(key)) return "";
        summary += (summary.empty() ? "" : " ") + texts.text(key);
    }
    return summary;
}

// The summary speaks the book's language where our catalogues have its
// sentences. Books in any other language get the English sentences, marked
// as English, rather than none: stores ask for a summary.
std::string accessibilityMetadata(const VoveZedevir& c, const EpubRun& run, const std::string& language) {
    const package::BookContent content = bookContent(c, run);
    const std::vector<std::string> keys = package::accessibilitySummaryKeys(content);
    const std::string catalogues = c.locations.resources.folder + "/locale";
    const std::string english = summaryIn(Localizer::load(catalogues, {}), keys);
    const std::string inLanguage = summaryIn(Localizer::load(catalogues, {language}), keys);
    const bool translated = language == "en" || inLanguage != english;
    return package::accessibilityMetadata(content, inLanguage, translated ? "" : "en");
}

}  // namespace

void VoveZedevir::finishPackage(EpubRun& run) {
    if (tempDirectoryPath.empty()) return;  // set-up failed; epubError says why
    const bool isEpub3 = epub3();
    const std::string oebps = tempDirectoryPath + "/OEBPS";
    const std::string title = bookInfo.title;
    const std::string label = title.empty() ? run.contentsTitle : title;  // for entries that have no name

    if (run.rightToLeftMarksSeen && !run.startPlaced) {
        if (const auto start = rightToLeftStart(run, sectionNumber - 1, label))
            guide += package::rightToLeftStartEntry(isEpub3, start->section, start->name);
    }
    giveNavigationAnEntry(*this, run, isEpub3, label);

    const std::string language = package::languageCode(bookInfo.language);
    auto writeContentsPage = [&](const std::string& page) {
        const std::string document = package::fillPlaceholders(newSection(), {{"$content\n", page}});
        buildWrites.write(oebps + "/toc.xhtml",
                          package::withDirection(package::withLanguage(document, language, isEpub3), language));
    };
    if (run.contentsPlaced || isEpub3) {
        std::string page;
        if (isEpub3) {
            guide += package::landmarksClose(run.contentsPlaced, run.contentsTitle);
            page = package::epub3ContentsPage(run.contentsTitle, run.contentsList, guide);
        } else {
            page = package::epub2ContentsPage(run.contentsTitle, run.contentsList);
            guide += package::contentsGuideLine();
        }
        writeContentsPage(page);
        manifest += package::contentsManifestLine(isEpub3);
    }
    if (!isEpub3) buildWrites.write(oebps + "/toc.ncx", package::finishedNcx(run.ncxTemplate, navmap));
    const std::string accessibility = isEpub3 ? accessibilityMetadata(*this, run, language) : "";
    buildWrites.write(oebps + "/content.opf",
                      package::finishedPackage(run.opfTemplate, spine, manifest, guide, isEpub3, accessibility));

    // A package with a file missing, cut short or not well-formed never
    // reaches the destination: the earlier book there stays.
    if (buildWrites.failure()) {
        epubError = *buildWrites.failure();
        return;
    }
    const std::string destination = paths::join(saveRoot, saveName + ".epub");
    const archive::Result written = archive::writePackage(tempDirectoryPath, destination);
    epubPath = written.ok ? destination : std::string();
    epubError = written.error;
    if (written.ok) removeArchiveNamedByIsbn(saveRoot, saveName, bookInfo.isbn);

    // The Kindle book always needs a contents page, even when the EPUB has
    // none; the EPUB is already made and does not change.
    if (!isEpub3 && !run.contentsPlaced) {
        guide += package::contentsGuideLine();
        manifest += package::contentsManifestLine(false);
        buildWrites.write(oebps + "/content.opf", package::finishedPackage(run.opfTemplate, spine, manifest, guide, false));
        writeContentsPage(package::epub2ContentsPage(run.contentsTitle, run.contentsList));
    }
}

}  // namespace quillary
