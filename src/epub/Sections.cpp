// The sections pass: cuts the body into section files while it interprets
// the directives, and builds the contents list, navigation points and the
// start-of-reading entry that the package documents take over.
#include <algorithm>
#include <optional>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/Html.h"
#include "epub/MediaMarkup.h"
#include "epub/PackageDocuments.h"
#include "epub/PageNesting.h"
#include "epub/SectionBoundaries.h"
#include "platform/Files.h"

namespace quillary {

namespace {

std::string number(std::int64_t value) { return std::to_string(value); }

// Working values of one sections pass that the package documents do not need.
struct PassState {
    SectionTracker tracker;
    PageNesting nesting;
    // A second endnotes or contents heading would add a second endnotes
    // document or contents page under the same manifest id, which no
    // reading system accepts; only the first one places them.
    bool endnotesPlaced = false;
    // Where the start-of-reading entry stands in the guide, and the section
    // it names, in case that section never gets written.
    std::size_t startEntryAt = std::string::npos;
    std::size_t startEntryLength = 0;
    std::int32_t startSection = 0;
    std::string startName;
    // The heading had no name: its entries take the section's first words.
    bool nameFromText = false;
    // An image line waits for the paragraph after it, which may give its
    // text alternative.
    std::optional<std::string> pendingImage;
};

void addEndnotesEntryAndDocument(VoveZedevir& c, EpubRun& run) {
    if (c.epub3()) {
        run.contentsList += text::format("<li id=\"navpoint-%d\"><a href=\"endnotes.xhtml\">%@</a></li>\n",
                                         {number(c.navPoint), run.endnotesTitle});
        ++c.navPoint;
    } else {
        run.contentsList += text::format(
            "<p class=\"tcd\"><span class=\"sz\"><a href=\"endnotes.xhtml\">%@</a><br /></span></p>\n",
            {run.endnotesTitle});
    }
    c.insertEpubEndnotes(run.endnotesTitle);
}

void placeContentsPage(VoveZedevir& c, EpubRun& run) {
    c.spine += "    <itemref idref=\"toc\"/>\n";
    c.navmap += package::ncxNavPoint(c.navPoint, run.contentsTitle, "toc.xhtml");
    ++c.navPoint;
    run.contentsPlaced = true;
}

std::string startOfReadingEntry(const VoveZedevir& c, std::int32_t section, const std::string& name) {
    if (c.epub3()) {
        return text::format("<li><a epub:type=\"bodymatter\" href=\"section%d.xhtml\">%@</a></li>\n",
                            {number(section), name});
    }
    // The name is HTML text, where a double quote may stand as it is; inside
    // the attribute it would end the value and break the package document.
    return text::format("    <reference href=\"section%d.xhtml\" type=\"text\" title=\"%@\"/>\n",
                        {number(section), text::replacedAll(name, "\"", "&quot;")});
}

void placeStartOfReading(VoveZedevir& c, EpubRun& run, PassState& state) {
    const std::string entry = startOfReadingEntry(c, c.sectionNumber, run.pendingName);
    state.startEntryAt = c.guide.size();
    state.startEntryLength = entry.size();
    state.startSection = c.sectionNumber;
    state.startName = run.pendingName;
    c.guide += entry;
    run.startPlaced = true;
}

// A start heading with no text after it names a section that is never
// written; a guide entry pointing at a missing file makes the book invalid,
// so it points at the last section instead, or goes when there is none.
void keepStartOfReadingInTheBook(VoveZedevir& c, EpubRun& run, const PassState& state) {
    if (state.startEntryAt == std::string::npos || state.startSection < c.sectionNumber) return;
    const std::int32_t lastWritten = c.sectionNumber - 1;
    const std::string name = state.startName.empty() ? "Section " + number(lastWritten) : state.startName;
    const std::string entry = lastWritten >= 1 ? startOfReadingEntry(c, lastWritten, name) : "";
    c.guide.replace(state.startEntryAt, state.startEntryLength, entry);
    run.startPlaced = lastWritten >= 1;
}

// The contents entry and navigation point of the section just written
// (number sectionNumber - 1), appended in place: a book with thousands of
// bookmarks must not copy its whole contents list for each one. False when
// the name makes no entry.
bool appendNavPoint(VoveZedevir& c, const std::string& name, std::string& list) {
    if (name.empty() || name == "contents" || name == "endnotes") return false;
    const std::string section = number(c.sectionNumber - 1);
    const std::string point = number(c.navPoint);
    if (c.epub3()) {
        list += text::format("<li id=\"navpoint-%d\"><a href=\"section%d.xhtml\">%@</a></li>\n",
                             {point, section, name});
    } else {
        list += text::format(
            "<p class=\"tcd\"><span class=\"sz\"><a href=\"section%d.xhtml\">%@</a><br /></span></p>\n",
            {section, name});
    }
    c.navmap += package::ncxNavPoint(c.navPoint, name, "section" + section + ".xhtml");
    ++c.navPoint;
    return true;
}

// An empty entry makes the book invalid and tells the reader nothing; the
// section's own first words say what it is, and its number when it has none.
std::string nameFromText(const VoveZedevir& c) {
    std::string name = firstWords(c.pageText);
    return name.empty() ? "Section " + number(c.sectionNumber) : name;
}

void nameStartOfReading(VoveZedevir& c, PassState& state, const std::string& name) {
    const std::string entry = startOfReadingEntry(c, state.startSection, name);
    c.guide.replace(state.startEntryAt, state.startEntryLength, entry);
    state.startEntryLength = entry.size();
    state.startName = name;
}

void writeFinishedSection(VoveZedevir& c, EpubRun& run, PassState& state) {
    if (state.nameFromText) run.pendingName = nameFromText(c);
    state.nameFromText = false;
    if (state.startEntryAt != std::string::npos && state.startSection == c.sectionNumber && state.startName.empty()) {
        const bool named = !run.pendingName.empty() && run.pendingName != "contents" && run.pendingName != "endnotes";
        nameStartOfReading(c, state, named ? run.pendingName : nameFromText(c));
    }
    c.pageText = state.nesting.finishPage(std::move(c.pageText));
    run.sectionTemplate = c.writeSection(run.sectionTemplate);
    if (appendNavPoint(c, run.pendingName, run.contentsList)) ++run.headingEntries;
    run.pendingName.clear();
}

void appendToPage(VoveZedevir& c, PassState& state) {
    state.nesting.add(c.line);
    c.pageText += c.line;
    c.pageText += '\n';
}

// The image waiting for its alternative goes onto the page; `line` stays.
void placePendingImage(VoveZedevir& c, EpubRun& run, PassState& state,
                       const std::optional<std::string>& alternative) {
    if (!state.pendingImage) return;
    std::string next = std::move(c.line);
    c.line = std::move(*state.pendingImage);
    state.pendingImage.reset();
    c.imageDirective(run, alternative);
    appendToPage(c, state);
    c.line = std::move(next);
}

// A directive line: the section being filled ends, and a heading names the
// next one. Of several headings without text between them only the last
// keeps its name, since the name waits for a section that gets written.
void endSection(VoveZedevir& c, EpubRun& run, PassState& state) {
    placePendingImage(c, run, state, std::nullopt);
    const std::string& line = c.line;
    if (state.tracker.closeSection()) {
        writeFinishedSection(c, run, state);
    } else {
        c.pageText.clear();
        state.nesting.dropPage();
    }
    if (isPlainBreak(line)) return;

    run.pendingName = headingName(line);
    state.nameFromText = run.pendingName.empty() && text::containsIgnoringCase(line, "srh:");
    // Without a name of their own the contents page and the endnotes keep
    // their usual titles.
    if (text::containsIgnoringCase(line, "toc:")) {
        if (!run.pendingName.empty()) run.contentsTitle = run.pendingName;
        run.pendingName = "contents";
    }
    if (text::containsIgnoringCase(line, "pnh:")) {
        if (!run.pendingName.empty()) run.endnotesTitle = run.pendingName;
        run.pendingName = "endnotes";
    }
    if (!run.startPlaced && text::containsIgnoringCase(line, "srh:")) placeStartOfReading(c, run, state);

    if (text::containsIgnoringCase(run.pendingName, "Endnotes")) {
        if (!state.endnotesPlaced) {
            addEndnotesEntryAndDocument(c, run);
            state.endnotesPlaced = true;
        }
    } else if (run.pendingName == "Contents" || run.pendingName == "contents") {
        if (!run.contentsPlaced) placeContentsPage(c, run);
    }
}

void addOrdinaryLine(VoveZedevir& c, EpubRun& run, PassState& state) {
    // The tracker sees the line as the marks pass saw it, before any
    // rewriting, so both passes take the same section decisions.
    state.tracker.addText(c.line);
    if (state.pendingImage) {
        // The alternative belongs to the image alone: its paragraph is not the book's text.
        const std::optional<std::string> alternative = media::textAlternative(c.line);
        placePendingImage(c, run, state, alternative);
        if (alternative) return;
    }
    c.line = c.fixLinks(c.line);
    if (holdsColonWord(c.line, {">video:", ">audio:"})) {
        c.mediaDirective(run);
    } else if (holdsColonWord(c.line, {">image:", ">fimage:", ">limage:", ">rimage:"})) {
        state.pendingImage = std::move(c.line);
        return;
    } else {
        if (c.noteNumber > 0 && holdsEndnoteMark(c.line)) c.processEndnotesForKindle(false);
        c.resolveCrossReferences(run);
        c.line = wrapInSizeSpan(c.line);
    }
    appendToPage(c, state);
}

void endPass(VoveZedevir& c, EpubRun& run, PassState& state) {
    placePendingImage(c, run, state, std::nullopt);
    if (state.tracker.hasText()) writeFinishedSection(c, run, state);
    keepStartOfReadingInTheBook(c, run, state);
    const std::string oebps = c.tempDirectoryPath + "/OEBPS/";
    c.insertImages(run.images, oebps + "images/", run.media, oebps + "media/");
    if (c.noteNumber >= 2 && !state.endnotesPlaced) addEndnotesEntryAndDocument(c, run);
}

}  // namespace

std::string VoveZedevir::newSection() const {
    const std::string path = locations.resources.path(Resources::versioned("section-%d.html", epub3()));
    std::string page = files::readFile(path).value_or("");
    text::replaceAll(page, "$book_name", bookInfo.title);
    // EPUB 2 books are made as they always were: a page naming its language
    // is part of what EPUB 3 books offer for accessibility.
    if (!epub3()) return page;
    return package::withLanguage(std::move(page), package::languageCode(bookInfo.language), true);
}

std::string VoveZedevir::writeSection(const std::string& sectionTemplate) {
    if (pageText.empty()) return sectionTemplate;
    std::string page = sectionTemplate;
    text::replaceAll(page, "$content\n", pageText);
    const std::string n = number(sectionNumber);
    buildWrites.write(tempDirectoryPath + "/OEBPS/section" + n + ".xhtml", page);
    manifest += text::format(
        "    <item id=\"section%d\" href=\"section%d.xhtml\" media-type=\"application/xhtml+xml\"/>\n", {n, n});
    spine += text::format("    <itemref idref=\"section%d\"/>\n", {n});
    pageText.clear();
    ++sectionNumber;
    return newSection();
}

std::string VoveZedevir::insertNavPointForName(const std::string& name, const std::string& toc) {
    std::string list = toc;
    appendNavPoint(*this, name, list);
    return list;
}

void VoveZedevir::sectionsPass(EpubRun& run) {
    // Progress goes to the main thread about a hundred times per book, and
    // once more at the end, so a long book does not flood its queue.
    const std::int64_t reportEvery = std::max<std::int64_t>(1, static_cast<std::int64_t>(lines.size()) / 100);
    std::int64_t readSinceReport = 0;
    BodyReader reader(lines, currLine, [&] {
        if (++readSinceReport < reportEvery) return;
        readSinceReport = 0;
        postToMain(&VoveZedevir::lineComplete);
    });
    reader.findBody();

    noteNumber = 1;
    endnotes.clear();
    run.sectionTemplate = newSection();
    pageText.clear();
    sectionNumber = 1;
    run.pendingName.clear();
    run.contentsList.clear();
    run.contentsPlaced = false;
    run.startPlaced = false;

    PassState state;
    while (reader.next(line)) {
        if (isDirectiveLine(line)) endSection(*this, run, state);
        else addOrdinaryLine(*this, run, state);
    }
    endPass(*this, run, state);
    postToMain(&VoveZedevir::lineComplete);
}

}  // namespace quillary
