#include "epub/HeadingChapters.h"

#include "base/Text.h"
#include "epub/Html.h"
#include "epub/PastedPictures.h"
#include "epub/SectionBoundaries.h"

namespace quillary::epub {

namespace {

// The body's raw lines, as the passes read them: after the line holding
// "<body>" (two lines before the end when there is none) up to the one
// holding "</body>".
std::pair<std::size_t, std::size_t> bodyRange(const std::vector<std::string>& lines) {
    std::size_t first = 0;
    const std::size_t stop = lines.size() < 2 ? 0 : lines.size() - 2;
    while (first < stop) {
        if (text::contains(lines[first++], "<body>")) break;
    }
    std::size_t end = first;
    while (end < lines.size() && !text::contains(lines[end], "</body>")) ++end;
    return {first, end};
}

// A heading that is itself a directive line (an author who styled a
// "toc:" line as a heading) already does what its words say; the book's
// title on its first page is no chapter of it.
bool opensChapter(std::string_view line, int level) {
    return headingLevel(line) == level && !isDirectiveLine(line) && !headingEntryName(line).empty() &&
           !classHolds(line, "title") && !classHolds(line, "subtitle");
}

// A paragraph, heading, list or table the converter marked as coming after
// a page break: the author's new page.
bool followsPageBreak(std::string_view line) {
    if (line.empty() || line[0] != '<') return false;
    const std::string_view tag = line.substr(0, line.find('>'));
    const bool block = tag.starts_with("<p ") || headingLevel(line) > 0 || tag.starts_with("<ul ") ||
                       tag.starts_with("<ol ") || tag.starts_with("<table ");
    return block && text::contains(tag, "page-break-before");
}

bool holdsPageBreak(const std::vector<std::string>& lines, std::size_t first, std::size_t end) {
    for (std::size_t index = first; index < end; ++index) {
        if (followsPageBreak(lines[index])) return true;
    }
    return false;
}

}  // namespace

int headingLevel(std::string_view line) {
    if (line.size() < 4 || line[0] != '<' || (line[1] != 'h' && line[1] != 'H')) return 0;
    if (line[2] < '1' || line[2] > '6' || (line[3] != '>' && line[3] != ' ')) return 0;
    return line[2] - '0';
}

HeadingChapters chaptersOf(const std::vector<std::string>& lines) {
    const auto [first, end] = bodyRange(lines);
    bool used[7] = {};
    for (std::size_t index = first; index < end; ++index) {
        const std::string& line = lines[index];
        if (isMarkLine(line)) return {ChapterSource::Bookmarks, 0, 0};
        if (const int level = headingLevel(line); level > 0 && opensChapter(line, level)) used[level] = true;
    }
    HeadingChapters chapters;
    for (int level = 1; level <= 6; ++level) {
        if (!used[level]) continue;
        if (chapters.chapterLevel == 0) {
            chapters.chapterLevel = level;
        } else {
            chapters.entryLevel = level;
            break;
        }
    }
    if (chapters.chapterLevel > 0) chapters.source = ChapterSource::Headings;
    return chapters;
}

std::optional<std::vector<std::string>> withSectionLines(const std::vector<std::string>& lines,
                                                         const HeadingChapters& chapters) {
    const auto [first, end] = bodyRange(lines);
    const bool fromHeadings = chapters.source == ChapterSource::Headings;
    if (!fromHeadings && !holdsPageBreak(lines, first, end)) return std::nullopt;
    std::vector<std::string> made;
    made.reserve(lines.size() + 64);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        const bool inBody = index >= first && index < end;
        // A chapter opens a section of its own anyway: its page break adds nothing.
        if (inBody && fromHeadings && opensChapter(line, chapters.chapterLevel))
            made.push_back("<p>bookmark: " + headingEntryName(line) + "</p>");
        else if (inBody && followsPageBreak(line) && !isDirectiveLine(line)) made.push_back("<p>#######</p>");
        made.push_back(line);
    }
    return made;
}

std::string headingEntryName(std::string_view line) {
    // A note's text belongs to the notes page, not to the chapter's name.
    std::string name;
    std::size_t from = 0;
    while (from < line.size()) {
        const std::size_t open = text::findIgnoringCase(line.substr(from), "&lt;&lt;");
        if (open == std::string_view::npos) break;
        name.append(line.substr(from, open));
        const std::size_t close = text::findIgnoringCase(line.substr(from + open), "&gt;&gt;");
        if (close == std::string_view::npos) {
            from = line.size();
            break;
        }
        from += open + close + 8;
    }
    if (from < line.size()) name.append(line.substr(from));
    return plainTextOf(name);
}

}  // namespace quillary::epub
