// The sections pass: cuts the body into section files while it interprets
// the directives, and builds the contents list, navigation points and the
// start-of-reading entry that the package documents take over.
#include <algorithm>
#include <optional>

#include "base/Text.h"
#include "epub/AssemblyState.h"
#include "epub/Html.h"
#include "epub/MediaMarkup.h"
#include "epub/PageNesting.h"
#include "epub/SectionBoundaries.h"
#include "manuscript/Normalise.h"

namespace quillary::package {

namespace {

std::string number(std::int64_t value) { return std::to_string(value); }

// Working values of one sections pass that the package model does not need.
struct PassState {
    SectionTracker tracker;
    PageNesting nesting;
    // A second endnotes or contents heading would add a second endnotes
    // document or contents page under the same manifest id, which no
    // reading system accepts; only the first one places them.
    bool endnotesPlaced = false;
    // The heading had no name: its entries take the section's first words.
    bool nameFromText = false;
    // An image line waits for the paragraph after it, which may give its
    // text alternative.
    std::optional<std::string> pendingImage;
};

void addEndnotesEntryAndDocument(Assembly& a) {
    // In EPUB 3 the entry takes the number; in EPUB 2 the notes page's
    // navigation point does.
    a.model.contents.push_back({a.epub3 ? a.navPoint++ : 0, "endnotes.xhtml", a.endnotesTitle});
    a.insertEpubEndnotes(a.endnotesTitle);
}

void placeContentsPage(Assembly& a) {
    a.model.spine.push_back({"toc"});
    a.model.navPoints.push_back({a.navPoint++, a.model.contentsTitle, "toc.xhtml"});
    a.model.contentsPlaced = true;
}

// A start heading with no text after it names a section that is never
// written; a guide entry pointing at a missing file makes the book invalid,
// so it points at the last section instead, or goes when there is none.
void keepStartOfReadingInTheBook(Assembly& a) {
    std::optional<StartOfReading>& start = a.model.start;
    if (!start || start->section < a.sectionNumber) return;
    const std::int32_t lastWritten = a.sectionNumber - 1;
    if (lastWritten < 1) {
        start.reset();
        a.startPlaced = false;
        return;
    }
    if (start->name.empty()) start->name = "Section " + number(lastWritten);
    start->section = lastWritten;
}

// The contents entry and navigation point of the section just written
// (number sectionNumber - 1). False when the name makes no entry.
bool addContentsEntry(Assembly& a, const std::string& name) {
    if (name.empty() || name == "contents" || name == "endnotes") return false;
    const std::string source = "section" + number(a.sectionNumber - 1) + ".xhtml";
    a.model.contents.push_back({a.navPoint, source, name});
    a.model.navPoints.push_back({a.navPoint, name, source});
    ++a.navPoint;
    return true;
}

// An empty entry makes the book invalid and tells the reader nothing; the
// section's own first words say what it is, and its number when it has none.
std::string nameFromText(const Assembly& a) {
    std::string name = firstWords(a.pageText);
    return name.empty() ? "Section " + number(a.sectionNumber) : name;
}

void writeFinishedSection(Assembly& a, PassState& state) {
    if (state.nameFromText) a.pendingName = nameFromText(a);
    state.nameFromText = false;
    std::optional<StartOfReading>& start = a.model.start;
    if (start && start->section == a.sectionNumber && start->name.empty()) {
        const bool named = !a.pendingName.empty() && a.pendingName != "contents" && a.pendingName != "endnotes";
        start->name = named ? a.pendingName : nameFromText(a);
    }
    a.pageText = state.nesting.finishPage(std::move(a.pageText));
    a.writeSection();
    if (addContentsEntry(a, a.pendingName)) ++a.headingEntries;
    a.pendingName.clear();
}

void appendToPage(Assembly& a, PassState& state) {
    state.nesting.add(a.line);
    a.pageText += a.line;
    a.pageText += '\n';
}

// The image waiting for its alternative goes onto the page; `line` stays.
void placePendingImage(Assembly& a, PassState& state, const std::optional<std::string>& alternative) {
    if (!state.pendingImage) return;
    std::string next = std::move(a.line);
    a.line = std::move(*state.pendingImage);
    state.pendingImage.reset();
    a.imageDirective(alternative);
    appendToPage(a, state);
    a.line = std::move(next);
}

// A directive line: the section being filled ends, and a heading names the
// next one. Of several headings without text between them only the last
// keeps its name, since the name waits for a section that gets written.
void endSection(Assembly& a, PassState& state) {
    placePendingImage(a, state, std::nullopt);
    const std::string& line = a.line;
    if (state.tracker.closeSection()) {
        writeFinishedSection(a, state);
    } else {
        a.pageText.clear();
        state.nesting.dropPage();
    }
    if (isPlainBreak(line)) return;

    a.pendingName = headingName(line);
    state.nameFromText = a.pendingName.empty() && text::containsIgnoringCase(line, "srh:");
    // Without a name of their own the contents page and the endnotes keep
    // their usual titles.
    if (text::containsIgnoringCase(line, "toc:")) {
        if (!a.pendingName.empty()) a.model.contentsTitle = a.pendingName;
        a.pendingName = "contents";
    }
    if (text::containsIgnoringCase(line, "pnh:")) {
        if (!a.pendingName.empty()) a.endnotesTitle = a.pendingName;
        a.pendingName = "endnotes";
    }
    if (!a.startPlaced && text::containsIgnoringCase(line, "srh:")) {
        a.model.start = StartOfReading{a.sectionNumber, a.pendingName};
        a.startPlaced = true;
    }

    if (text::containsIgnoringCase(a.pendingName, "Endnotes")) {
        if (!state.endnotesPlaced) {
            addEndnotesEntryAndDocument(a);
            state.endnotesPlaced = true;
        }
    } else if (a.pendingName == "Contents" || a.pendingName == "contents") {
        if (!a.model.contentsPlaced) placeContentsPage(a);
    }
}

void addOrdinaryLine(Assembly& a, PassState& state) {
    // The tracker sees the line as the marks pass saw it, before any
    // rewriting, so both passes take the same section decisions.
    state.tracker.addText(a.line);
    if (state.pendingImage) {
        // The alternative belongs to the image alone: its paragraph is not the book's text.
        const std::optional<std::string> alternative = media::textAlternative(a.line);
        placePendingImage(a, state, alternative);
        if (alternative) return;
    }
    a.line = fixLinks(a.line, a.problems.badLinks);
    if (holdsColonWord(a.line, {">video:", ">audio:"})) {
        a.mediaDirective();
    } else if (holdsColonWord(a.line, {">image:", ">fimage:", ">limage:", ">rimage:"})) {
        state.pendingImage = std::move(a.line);
        return;
    } else {
        if (a.noteNumber > 0 && holdsEndnoteMark(a.line)) a.makeNotes();
        a.resolveCrossReferences();
        a.line = wrapInSizeSpan(a.line);
    }
    appendToPage(a, state);
}

void endPass(Assembly& a, PassState& state) {
    placePendingImage(a, state, std::nullopt);
    if (state.tracker.hasText()) writeFinishedSection(a, state);
    keepStartOfReadingInTheBook(a);
    a.insertImages();
    if (a.noteNumber >= 2 && !state.endnotesPlaced) addEndnotesEntryAndDocument(a);
}

}  // namespace

void Assembly::sectionsPass() {
    // Progress is told about a hundred times per book, and once more at the
    // end, so a long book does not flood the window with it.
    const std::vector<std::string>& lines = input.lines;
    const std::int64_t reportEvery = std::max<std::int64_t>(1, static_cast<std::int64_t>(lines.size()) / 100);
    std::int64_t readSinceReport = 0;
    const auto tell = [&] {
        if (input.progress) input.progress(position.load());
    };
    position = static_cast<std::int64_t>(input.bodySearchFrom);
    BodyReader reader(lines, position, [&] {
        if (++readSinceReport < reportEvery) return;
        readSinceReport = 0;
        tell();
    });
    reader.findBody();

    PassState state;
    while (reader.next(line)) {
        if (isDirectiveLine(line)) endSection(*this, state);
        else addOrdinaryLine(*this, state);
    }
    endPass(*this, state);
    tell();
}

}  // namespace quillary::package
