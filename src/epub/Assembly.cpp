// The frame of the assembly: the facts and the cover page before the
// passes; after them, the entries that only the whole book can decide.
#include <charconv>
#include <optional>

#include "base/Text.h"
#include "epub/AssemblyState.h"
#include "epub/Media.h"
#include "epub/MediaMarkup.h"
#include "platform/Paths.h"

namespace quillary::package {

namespace {

// Book information arrives in publication form: markup characters escaped.
BookFacts bookFacts(const BookInfo& info) {
    BookFacts facts;
    facts.title = info.title;
    facts.author = info.author;
    facts.publisher = info.publisher;
    facts.copyright = info.copyright;
    facts.date = info.date;
    facts.isbn = bookIdentifier(info.isbn, facts.title, facts.author);
    facts.genre = info.genre;
    facts.language = languageCode(info.language);
    return facts;
}

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
std::optional<StartOfReading> rightToLeftStart(const Assembly& a, int sectionsWritten,
                                               const std::string& fallbackName) {
    if (sectionsWritten < 1) return std::nullopt;
    std::optional<StartOfReading> first;
    for (const auto& [name, file] : a.marks) {
        const auto section = sectionOf(file);
        if (!section || *section < 1 || *section > sectionsWritten) continue;
        if (!first || *section < first->section) first = StartOfReading{*section, name, true};
    }
    if (first) return first;
    return StartOfReading{1, a.pendingName.empty() ? fallbackName : a.pendingName, true};
}

BookContent bookContent(const Assembly& a) {
    BookContent content = a.model.content;
    content.imagesWithoutAlternative = static_cast<int>(a.problems.imagesWithoutAlternative.size());
    content.namedHeadings = a.headingEntries > 0;
    for (const std::string& name : a.imageNames) {
        const std::string extension = text::lowercaseAscii(paths::extension(name));
        content.animatable = content.animatable || extension == "gif" || extension == "svg";
    }
    for (const std::string& name : a.mediaNames) {
        const bool audio = media::mediaKind(paths::extension(name)) == "audio";
        (audio ? content.audio : content.video) = true;
    }
    return content;
}

}  // namespace

PackageModel assemblePackage(const AssemblyInput& input, Problems& problems) {
    return Assembly(input, problems).run();
}

Assembly::Assembly(const AssemblyInput& input_, Problems& problems_)
    : input(input_), epub3(input_.request.epub3), problems(problems_) {
    setUp();
}

PackageModel Assembly::run() {
    marksPass();
    sectionsPass();
    finish();
    return std::move(model);
}

void Assembly::setUp() {
    model.epub3 = epub3;
    model.contentsTitle = input.texts.contentsTitle;
    endnotesTitle = input.texts.endnotesTitle;
    model.stylesheet = input.stylesheet;

    const std::optional<std::string> cover = media::coverFileIn(input.request.manuscriptFolder);
    const std::string coverExtension = cover ? paths::extension(*cover) : "png";
    if (!cover) problems.missingFiles.push_back("cover.jpg");
    imageNames.push_back("cover." + coverExtension);

    model.facts = bookFacts(input.request.bookInfo);
    model.facts.coverName = input.texts.coverTitle;
    model.facts.coverExtension = coverExtension;
    model.facts.hasCover = cover.has_value();
    add(model.pages, {"OEBPS/cover.xhtml", coverPage(input.templates.cover, model.facts)});

    std::string page = input.templates.section;
    text::replaceAll(page, "$book_name", model.facts.title);
    // EPUB 2 books are made as they always were: a page naming its language
    // is part of what EPUB 3 books offer for accessibility.
    model.sectionTemplate = epub3 ? withLanguage(std::move(page), model.facts.language, true) : std::move(page);
}

void Assembly::add(std::vector<PackageFile>& into, PackageFile file) {
    if (input.fileMade) input.fileMade(file);
    into.push_back(std::move(file));
}

void Assembly::writeSection() {
    if (pageText.empty()) return;
    const std::string n = std::to_string(sectionNumber);
    add(model.pages, {"OEBPS/section" + n + ".xhtml", pageWith(model.sectionTemplate, pageText)});
    model.manifest.push_back({"section" + n, "section" + n + ".xhtml", "application/xhtml+xml", ""});
    model.spine.push_back({"section" + n});
    pageText.clear();
    ++sectionNumber;
}

// After the passes: the start entry of a right-to-left book, and an entry
// for navigation documents that would otherwise be empty, which they may
// not be: a book without a single named heading still gets one, for its
// first page.
void Assembly::finish() {
    const std::string& title = model.facts.title;
    const std::string label = title.empty() ? model.contentsTitle : title;  // for entries that have no name
    if (rightToLeftMarksSeen && !startPlaced) model.start = rightToLeftStart(*this, sectionNumber - 1, label);

    const std::string firstPage = sectionNumber > 1 ? "section1.xhtml" : "cover.xhtml";
    if (epub3 && model.contents.empty()) model.contents.push_back({0, firstPage, label});
    if (!epub3 && model.navPoints.empty()) model.navPoints.push_back({navPoint, label, firstPage});
    model.content = bookContent(*this);
}

}  // namespace quillary::package
