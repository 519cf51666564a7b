// The sections pass: cuts the body into section files while it interprets
// the directives, and builds the contents list, the navigation points and
// the start-of-reading entry that the package documents take over. Its
// working state is its own; the directives' handlers take a line and
// return the one that goes onto the page.
#include "epub/Assembly.h"

#include <algorithm>
#include <optional>

#include "base/Text.h"
#include "epub/Figures.h"
#include "epub/HeadingChapters.h"
#include "epub/Html.h"
#include "epub/Marks.h"
#include "epub/Media.h"
#include "epub/MediaMarkup.h"
#include "epub/NoteMarkup.h"
#include "epub/PageNesting.h"
#include "epub/Pages.h"
#include "epub/PastedPictures.h"
#include "epub/SectionBoundaries.h"
#include "manuscript/Normalise.h"
#include "platform/Paths.h"

namespace quillary::epub {

namespace {

std::string number(std::int64_t value) { return std::to_string(value); }

class SectionsPass {
public:
    SectionsPass(const AssemblyInput& input, const std::vector<std::string>& lines, Marks marks,
                 HeadingChapters chapters);
    AssembledBook run() &&;

private:
    // ---- the lines of the body
    void directiveLine(const std::string& line);
    void ordinaryLine(std::string line);
    void endOfBody();
    void placePendingImage(const std::optional<std::string>& alternative);
    void appendToPage(std::string line);
    void putOnPage(std::string line);
    std::string withEntryAnchor(std::string line);
    std::string withPastedPictures(const std::string& line);
    // ---- the directives' handlers: a line in, the line for the page out
    std::string mediaLine(const std::string& line);
    std::string imageLine(const std::string& line, const std::optional<std::string>& alternative);
    void leftOut(const std::string& typedName, const FileLookup& file);
    std::string withNotes(const std::string& line);
    // ---- sections, entries and the pages the pass adds
    void writeFinishedSection();
    void writeSection();
    bool addContentsEntry(const std::string& name);
    std::string nameFromText() const;
    void placeEndnotes(bool byAuthor);
    void placeContentsPage();
    void keepStartOfReadingInTheBook();
    void packAuthorsFiles();
    void finish();
    void add(PackageFile page);
    void lineRead();
    void tell();

    const AssemblyInput& input_;
    const std::vector<std::string>& lines_;  // the manuscript's, or with its headings' bookmark lines
    const bool epub3_;
    const Marks marks_;
    PackageModel model_;
    Problems problems_;
    BodyReader reader_;
    SectionTracker tracker_;
    PageNesting nesting_;
    std::string pageText_;       // the section being filled
    int sectionNumber_ = 1;      // the section being filled
    int navPoint_ = 1;           // the next contents entry's number
    std::string pendingName_;    // the name the section being filled gets
    bool nameFromText_ = false;  // the heading had no name: the section's first words give it
    bool startPlaced_ = false;
    // A second endnotes or contents heading would add a second endnotes
    // document or contents page under the same manifest id, which no
    // reading system accepts; only the first one places them.
    bool endnotesPlaced_ = false;
    int headingEntries_ = 0;  // contents entries of the manuscript's named headings
    const HeadingChapters chapters_;
    // The headings below the chapter level in the section being filled: they
    // get entries under the section's own, once it is written with one.
    std::vector<ContentsEntry> nestedEntries_;
    int anchors_ = 0;  // ids given to such headings so far
    PastedPictures pasted_;
    Figures figures_;
    std::string endnotesTitle_;
    std::string endnotes_;  // the entries of the notes so far
    int noteNumber_ = 1;    // the next note's; 0 once the notes page is made
    // An image line waits for the paragraph after it, which may give its
    // text alternative.
    std::optional<std::string> pendingImage_;
    AuthorFileIndex files_;
    std::vector<std::string> imageNames_;  // the images the book packs, stored names; first the cover
    std::vector<std::string> mediaNames_;
    std::int64_t reportEvery_ = 1;
    std::int64_t readSinceReport_ = 0;
    bool stopped_ = false;
};

SectionsPass::SectionsPass(const AssemblyInput& input, const std::vector<std::string>& lines, Marks marks,
                           HeadingChapters chapters)
    : input_(input),
      lines_(lines),
      epub3_(input.request.epub3),
      marks_(std::move(marks)),
      reader_(lines, [this] { lineRead(); }),
      chapters_(chapters),
      pasted_([this](PackageFile picture) { add(std::move(picture)); }),
      figures_(epub3_, [this](std::string line) { putOnPage(std::move(line)); }),
      files_(input.folder, input.texts.notAPicture) {
    // Progress is told about a hundred times per book, and once more at the
    // end, so a long book does not flood the window with it.
    reportEvery_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(lines.size()) / 100);
    problems_.duplicateMarks = marks_.duplicates;
    problems_.duplicateMark = text::decodeCharacterReferences(marks_.duplicate);
    model_.epub3 = epub3_;
    model_.contentsTitle = input.texts.contentsTitle;
    endnotesTitle_ = input.texts.endnotesTitle;
    model_.stylesheet = input.stylesheet;

    // A book needs no cover: its first page then shows the title.
    const std::optional<std::string> cover = files_.coverName();
    problems_.noCover = !cover;
    model_.facts = bookFacts(input.request.bookInfo, input.texts.coverTitle, cover);
    problems_.unreadableFiles = files_.refusedCovers();
    if (cover) imageNames_.push_back(files_.image("cover." + model_.facts.coverExtension).stored);
    add({"OEBPS/cover.xhtml", coverPage(input.templates.cover, model_.facts)});
    model_.sectionTemplate = pageTemplate(input.templates.section, model_.facts, epub3_);
}

AssembledBook SectionsPass::run() && {
    reader_.findBody();
    std::string line;
    while (!stopped_ && reader_.next(line)) {
        if (isDirectiveLine(line)) directiveLine(line);
        else ordinaryLine(std::move(line));
    }
    if (!stopped_) endOfBody();
    tell();
    finish();
    // The author is told the words the manuscript shows, not its markup.
    for (auto* list : {&problems_.badLinks, &problems_.missingMarks})
        for (std::string& where : *list) where = text::decodeCharacterReferences(plainTextOf(where));
    problems_.unclosedNote = text::decodeCharacterReferences(plainTextOf(problems_.unclosedNote));
    return {std::move(model_), std::move(problems_), chapters_.source, chapters_.chapterLevel};
}

void SectionsPass::lineRead() {
    if (++readSinceReport_ < reportEvery_) return;
    readSinceReport_ = 0;
    tell();
}

void SectionsPass::tell() {
    if (input_.progress && !lines_.empty())
        input_.progress(static_cast<double>(reader_.position()) / static_cast<double>(lines_.size()));
    if (input_.cancelled && input_.cancelled()) stopped_ = true;
}

void SectionsPass::add(PackageFile page) {
    if (input_.pageMade) input_.pageMade(page);
    model_.pages.push_back(std::move(page));
}

// A directive line: the section being filled ends, and a heading names the
// next one. Of several headings without text between them only the last
// keeps its name, since the name waits for a section that gets written.
void SectionsPass::directiveLine(const std::string& line) {
    placePendingImage(std::nullopt);
    figures_.flush();
    // A directive line is not copied into the book: a picture pasted into
    // it is lost, and the author must hear of it.
    if (holdsPastedPicture(line))
        problems_.picturesLeftOut.push_back("picture in the directive \u201c" + firstWords(line) + "\u201d");
    if (tracker_.closeSection()) {
        writeFinishedSection();
    } else {
        pageText_.clear();
        nesting_.dropPage();
        nestedEntries_.clear();
    }
    if (isPlainBreak(line)) return;

    pendingName_ = headingName(line);
    nameFromText_ = pendingName_.empty() && text::containsIgnoringCase(line, "srh:");
    // Without a name of their own the contents page and the endnotes keep
    // their usual titles.
    if (text::containsIgnoringCase(line, "toc:")) {
        if (!pendingName_.empty()) model_.contentsTitle = pendingName_;
        pendingName_ = "contents";
    }
    if (text::containsIgnoringCase(line, "pnh:")) {
        if (!pendingName_.empty()) endnotesTitle_ = pendingName_;
        pendingName_ = "endnotes";
    }
    if (!startPlaced_ && text::containsIgnoringCase(line, "srh:")) {
        model_.start = StartOfReading{sectionNumber_, pendingName_};
        startPlaced_ = true;
    }

    if (text::containsIgnoringCase(pendingName_, "Endnotes")) {
        if (!endnotesPlaced_) placeEndnotes(true);
    } else if (pendingName_ == "Contents" || pendingName_ == "contents") {
        if (!model_.contentsPlaced) placeContentsPage();
    }
}

void SectionsPass::ordinaryLine(std::string line) {
    // The tracker sees the line as the marks pass saw it, before any
    // rewriting, so both passes take the same section decisions.
    tracker_.addText(line);
    if (pendingImage_) {
        // The alternative belongs to the image alone: its paragraph is not the book's text.
        const std::optional<std::string> alternative = media::textAlternative(line);
        placePendingImage(alternative);
        if (alternative) return;
    }
    if (holdsPastedPicture(line)) line = withPastedPictures(line);
    line = manuscript::fixLinks(line, problems_.badLinks);
    // Before the first chapter there is no entry to nest under.
    const bool inChapter = !pendingName_.empty() || headingEntries_ > 0;
    if (inChapter && chapters_.entryLevel > 0 && headingLevel(line) == chapters_.entryLevel)
        line = withEntryAnchor(std::move(line));
    if (holdsColonWord(line, {">video:", ">audio:"})) {
        line = mediaLine(line);
        if (line.empty()) return;
    } else if (holdsColonWord(line, {">image:", ">fimage:", ">limage:", ">rimage:"})) {
        pendingImage_ = std::move(line);
        return;
    } else {
        if (noteNumber_ > 0 && holdsEndnoteMark(line)) line = withNotes(line);
        line = wrapInSizeSpan(withCrossReferences(line, marks_, sectionNumber_, problems_.missingMarks));
    }
    appendToPage(std::move(line));
}

void SectionsPass::endOfBody() {
    placePendingImage(std::nullopt);
    figures_.flush();
    if (tracker_.hasText()) writeFinishedSection();
    keepStartOfReadingInTheBook();
    packAuthorsFiles();
    if (noteNumber_ >= 2 && !endnotesPlaced_) placeEndnotes(false);
}

// The image waiting for its alternative goes onto the page.
void SectionsPass::placePendingImage(const std::optional<std::string>& alternative) {
    if (!pendingImage_) return;
    const std::string image = std::move(*pendingImage_);
    pendingImage_.reset();
    if (std::string placed = imageLine(image, alternative); !placed.empty()) appendToPage(std::move(placed));
}

// Every line for the page passes the figures, which keep a picture and its
// caption together.
void SectionsPass::appendToPage(std::string line) { figures_.add(std::move(line)); }

void SectionsPass::putOnPage(std::string line) {
    nesting_.add(line);
    pageText_ += line;
    pageText_ += '\n';
}

// A heading one level below the chapters: an id to point at, and an entry
// waiting for its section's.
std::string SectionsPass::withEntryAnchor(std::string line) {
    const std::string name = headingEntryName(line);
    if (name.empty() || text::containsIgnoringCase(line.substr(0, line.find('>')), " id=")) return line;
    const std::string id = "heading-" + number(++anchors_);
    line.insert(3, " id=\"" + id + "\"");
    nestedEntries_.push_back({0, sectionFileName(sectionNumber_) + "#" + id, name, true});
    return line;
}

std::string SectionsPass::withPastedPictures(const std::string& line) {
    PastedInLine made = pasted_.place(line);
    model_.content.images += made.kept;
    for (std::string& name : made.withoutDescription) problems_.imagesWithoutAlternative.push_back(std::move(name));
    // Where the author finds it: the words of its paragraph, else its section.
    const std::string words = firstWords(made.line);
    for (const std::string& format : made.leftOut)
        problems_.picturesLeftOut.push_back(
            format + " picture " +
            (words.empty() ? "in section " + number(sectionNumber_) : "at \u201c" + words + "\u201d"));
    return std::move(made.line);
}

// A reference to a file the book does not hold makes the whole book
// invalid: a player or picture whose file cannot be packed is left out of
// the page, and the author told which and why.
std::string SectionsPass::mediaLine(const std::string& line) {
    const media::MediaMarkup named = media::mediaMarkup(line, epub3_);
    const FileLookup file = files_.media(named.typedName);
    if (file.state != FileLookup::State::usable) {
        leftOut(named.typedName, file);
        return "";
    }
    std::optional<std::string> poster;
    if (named.typedPoster) {
        const FileLookup image = files_.image(*named.typedPoster);
        if (image.state == FileLookup::State::usable) poster = image.stored;
        else leftOut(*named.typedPoster, image);
    }
    mediaNames_.push_back(file.stored);
    if (poster) imageNames_.push_back(*poster);
    return media::mediaMarkup(line, epub3_, media::MediaSources{file.stored, poster}).markup;
}

std::string SectionsPass::imageLine(const std::string& line, const std::optional<std::string>& alternative) {
    const std::string typedName = media::imageMarkup(line).typedName;
    const FileLookup file = files_.image(typedName);
    if (file.state != FileLookup::State::usable) {
        leftOut(typedName, file);
        // What the picture would have shown still reaches the reader.
        return alternative && !alternative->empty() ? "<p>" + *alternative + "</p>" : "";
    }
    media::ImageMarkup made = media::imageMarkup(line, alternative, file.stored);
    ++model_.content.images;
    if (!alternative) problems_.imagesWithoutAlternative.push_back(made.imageName);
    imageNames_.push_back(file.stored);
    return std::move(made.markup);
}

// A name the container forbids is told once for the folder, with every
// such file, when the pass ends.
void SectionsPass::leftOut(const std::string& typedName, const FileLookup& file) {
    if (file.state == FileLookup::State::missing) problems_.missingFiles.push_back(typedName);
    if (file.state == FileLookup::State::refused) problems_.unreadableFiles.push_back(typedName + " " + file.reason);
}

std::string SectionsPass::withNotes(const std::string& line) {
    // The line holding "</body>" is never taken into a note: the sections
    // pass ends there, and the endnotes document would be unreadable.
    const std::vector<std::string>& lines = lines_;
    const notes::LineAhead lineAhead = [&](std::size_t ahead) -> std::optional<std::string_view> {
        const auto index = static_cast<std::size_t>(std::max<std::int64_t>(0, reader_.position())) + ahead;
        if (index >= lines.size() || text::contains(lines[index], "</body>")) return std::nullopt;
        return lines[index];
    };
    notes::NotesOfLine made = notes::makeNotes(
        line, {noteNumber_, sectionNumber_, epub3_, isRightToLeftLanguage(model_.facts.language)}, lineAhead);
    reader_.skip(made.linesTakenIn);
    if (!made.unclosed.empty()) {
        if (!problems_.noEnd) problems_.unclosedNote = made.unclosed.front();
        problems_.noEnd = true;
    }
    endnotes_ += made.entries;
    noteNumber_ += made.notesMade;
    return std::move(made.line);
}

void SectionsPass::writeFinishedSection() {
    if (nameFromText_) pendingName_ = nameFromText();
    nameFromText_ = false;
    std::optional<StartOfReading>& start = model_.start;
    if (start && start->section == sectionNumber_ && start->name.empty()) {
        const bool named = !pendingName_.empty() && pendingName_ != "contents" && pendingName_ != "endnotes";
        start->name = named ? pendingName_ : nameFromText();
    }
    pageText_ = nesting_.finishPage(std::move(pageText_));
    writeSection();
    const bool entered = addContentsEntry(pendingName_);
    if (entered) ++headingEntries_;
    // A page break inside a chapter leaves its headings under the chapter's entry.
    if (entered || (pendingName_.empty() && headingEntries_ > 0)) {
        for (ContentsEntry& entry : nestedEntries_) {
            model_.contents.push_back({navPoint_, entry.href, entry.label, true});
            model_.navPoints.push_back({navPoint_, entry.label, entry.href, true});
            ++navPoint_;
        }
    }
    nestedEntries_.clear();
    pendingName_.clear();
}

void SectionsPass::writeSection() {
    if (pageText_.empty()) return;
    const std::string file = sectionFileName(sectionNumber_);
    const std::string id = "section" + number(sectionNumber_);
    add({"OEBPS/" + file, pageWith(model_.sectionTemplate, pageText_)});
    model_.manifest.push_back({id, file, "application/xhtml+xml", ""});
    model_.spine.push_back({id});
    pageText_.clear();
    ++sectionNumber_;
}

// The contents entry and navigation point of the section just written
// (number sectionNumber_ - 1). False when the name makes no entry.
bool SectionsPass::addContentsEntry(const std::string& name) {
    if (name.empty() || name == "contents" || name == "endnotes") return false;
    const std::string source = sectionFileName(sectionNumber_ - 1);
    model_.contents.push_back({navPoint_, source, name});
    model_.navPoints.push_back({navPoint_, name, source});
    ++navPoint_;
    return true;
}

// An empty entry makes the book invalid and tells the reader nothing; the
// section's own first words say what it is, and its number when it has none.
std::string SectionsPass::nameFromText() const {
    std::string name = firstWords(pageText_);
    return name.empty() ? "Section " + number(sectionNumber_) : name;
}

// `byAuthor`: an endnotes heading places the page, not the end of the book.
void SectionsPass::placeEndnotes(bool byAuthor) {
    endnotesPlaced_ = true;
    // In EPUB 3 the entry takes the number; in EPUB 2 the notes page's
    // navigation point does.
    model_.contents.push_back({epub3_ ? navPoint_++ : 0, "endnotes.xhtml", endnotesTitle_});
    // A second endnotes heading would write the page again with only its
    // heading, losing the notes, and list it twice in the package.
    if (noteNumber_ == 0) return;
    add({"OEBPS/endnotes.xhtml",
         notesPage(model_.sectionTemplate, model_.facts.language, endnotesTitle_, endnotes_, epub3_)});
    model_.manifest.push_back({"endnotes", "endnotes.xhtml", "application/xhtml+xml", ""});
    if (epub3_) {
        // At the end, outside the reading order: reached through the
        // references and the contents entry. Where the author placed it, a
        // reader paging through the book comes to it there.
        model_.spine.push_back({"endnotes", byAuthor});
    } else {
        model_.spine.push_back({"endnotes"});
        model_.navPoints.push_back({navPoint_++, endnotesTitle_, "endnotes.xhtml"});
    }
    endnotes_.clear();
    noteNumber_ = 0;
}

void SectionsPass::placeContentsPage() {
    model_.spine.push_back({"toc"});
    model_.navPoints.push_back({navPoint_++, model_.contentsTitle, "toc.xhtml"});
    model_.contentsPlaced = true;
}

// A start heading with no text after it names a section that is never
// written; a guide entry pointing at a missing file makes the book invalid,
// so it points at the last section instead, or goes when there is none.
void SectionsPass::keepStartOfReadingInTheBook() {
    std::optional<StartOfReading>& start = model_.start;
    if (!start || start->section < sectionNumber_) return;
    const int lastWritten = sectionNumber_ - 1;
    if (lastWritten < 1) {
        start.reset();
        startPlaced_ = false;
        return;
    }
    if (start->name.empty()) start->name = "Section " + number(lastWritten);
    start->section = lastWritten;
}

void SectionsPass::packAuthorsFiles() {
    for (const ManifestItem& item : pasted_.manifest()) model_.manifest.push_back(item);
    if (!pasted_.manifest().empty()) {
        model_.stylesheet += pastedPictureRules();
        model_.stylesheet += figureRules();
    }
    PackedFiles packed = files_.packed();
    for (AuthorFile& file : packed.files) model_.authorFiles.push_back(std::move(file));
    for (ManifestItem& item : packed.manifest) model_.manifest.push_back(std::move(item));
    problems_.invalidMediaFilenames = !packed.invalidNames.empty();
    problems_.invalidMediaNames = std::move(packed.invalidNames);
}

// When the counter has moved past the last section, no file of its number
// exists, so the entry cannot name it. A right-to-left book's first bookmark
// heads its first chapter, with only front matter before it: the entry names
// the section of that mark, as a "srh:" heading there would have done. With
// no mark on a written section, reading starts at the first section.
std::optional<StartOfReading> rightToLeftStart(const Marks& marks, int sectionsWritten, const std::string& name) {
    if (sectionsWritten < 1) return std::nullopt;
    std::optional<StartOfReading> first;
    for (const auto& [mark, section] : marks.sections) {
        if (section < 1 || section > sectionsWritten) continue;
        if (!first || section < first->section) first = StartOfReading{section, mark, true};
    }
    return first ? first : StartOfReading{1, name, true};
}

BookContent bookContent(BookContent content, const Problems& problems, bool namedHeadings,
                        const std::vector<std::string>& images, const std::vector<std::string>& mediaFiles) {
    content.imagesWithoutAlternative = static_cast<int>(problems.imagesWithoutAlternative.size());
    content.namedHeadings = namedHeadings;
    for (const std::string& name : images) {
        const std::string extension = text::lowercaseAscii(paths::extension(name));
        content.animatable = content.animatable || extension == "gif" || extension == "svg";
    }
    for (const std::string& name : mediaFiles) {
        const bool audio = media::mediaKind(paths::extension(name)) == "audio";
        (audio ? content.audio : content.video) = true;
    }
    return content;
}

// After the pass: the start entry of a right-to-left book, and an entry for
// navigation documents that would otherwise be empty, which they may not
// be: a book without a single named heading still gets one, for its first
// page.
void SectionsPass::finish() {
    const std::string& title = model_.facts.title;
    const std::string label = title.empty() ? model_.contentsTitle : title;  // for entries that have no name
    if (marks_.rightToLeft && !startPlaced_)
        model_.start = rightToLeftStart(marks_, sectionNumber_ - 1, pendingName_.empty() ? label : pendingName_);

    const std::string firstPage = sectionNumber_ > 1 ? sectionFileName(1) : "cover.xhtml";
    if (epub3_ && model_.contents.empty()) model_.contents.push_back({0, firstPage, label});
    if (!epub3_ && model_.navPoints.empty()) model_.navPoints.push_back({navPoint_, label, firstPage});
    model_.content = bookContent(model_.content, problems_, headingEntries_ > 0, imageNames_, mediaNames_);
}

}  // namespace

AssembledBook assemblePackage(const AssemblyInput& input) {
    const HeadingChapters chapters = chaptersOf(input.lines);
    // Only a manuscript with chapter headings or page breaks is copied, with
    // the directive lines they stand for; any other is read as it is.
    const std::optional<std::vector<std::string>> withSections = withSectionLines(input.lines, chapters);
    const std::vector<std::string>& lines = withSections ? *withSections : input.lines;
    return SectionsPass(input, lines, findMarks(lines), chapters).run();
}

}  // namespace quillary::epub
