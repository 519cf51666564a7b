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

bool needsSectionLines(const std::vector<std::string>& lines, std::size_t first, std::size_t end) {
    for (std::size_t index = first; index < end; ++index) {
        if (followsPageBreak(lines[index]) || directiveOnText(lines[index])) return true;
    }
    return false;
}

// The marks that say which way the text runs, which LibreOffice puts around
// a Latin word in a right-to-left paragraph: they are not part of any word.
void dropDirectionMarks(std::string& text) {
    for (std::string_view mark : {"&#8206;", "&#8207;", "&#8234;", "&#8235;", "&#8236;", "&#8237;", "&#8238;",
                                  "&#8294;", "&#8295;", "&#8296;", "&#8297;"})
        text::replaceAll(text, mark, "");
}

}  // namespace

std::optional<std::string> directiveOnText(std::string_view line) {
    // Cheap refusals first: most lines hold no colon, and every line that
    // today's rule already reads as a directive stays exactly as it is.
    if (line.empty() || line[0] != '<' || line.find(':') == std::string_view::npos || isDirectiveLine(line) ||
        holdsColonWord(line, {">audio:", ">video:"}))
        return std::nullopt;
    bool wordThere = false;
    for (std::string_view word : {"bookmark", "srh", "toc", "pnh", "audio", "video"})
        wordThere = wordThere || text::containsIgnoringCase(line, word);
    if (!wordThere) return std::nullopt;
    std::string plain = plainTextOf(line);
    dropDirectionMarks(plain);
    // A player replaces its whole paragraph, so its word must open the
    // text: "Hear the audio: ..." in a sentence is the author's prose.
    const std::string_view head = std::string_view(plain).substr(0, 6);
    const bool media = text::equalsIgnoringCase(head, "audio:") || text::equalsIgnoringCase(head, "video:");
    if (!media && !holdsColonWord(plain, {"bookmark:", "srh:", "toc:", "pnh:"})) return std::nullopt;
    const std::string_view opening = line.substr(0, line.find('>') + 1);
    const std::string_view name = opening.substr(1, opening.find_first_of(" >") - 1);
    return std::string(opening) + plain + "</" + std::string(name) + ">";
}

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
        const std::optional<std::string> directive = directiveOnText(line);
        if (isMarkLine(directive ? *directive : line)) return {ChapterSource::Bookmarks, 0, 0};
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
    if (!fromHeadings && !needsSectionLines(lines, first, end)) return std::nullopt;
    std::vector<std::string> made;
    made.reserve(lines.size() + 64);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        const bool inBody = index >= first && index < end;
        if (std::optional<std::string> directive = inBody ? directiveOnText(line) : std::nullopt) {
            made.push_back(std::move(*directive));
            continue;
        }
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
