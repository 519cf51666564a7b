#include "epub/SectionBoundaries.h"

#include <algorithm>

#include "base/Text.h"
#include "epub/Html.h"

namespace quillary::epub {

BodyReader::BodyReader(const std::vector<std::string>& lines, std::function<void()> onRead)
    : lines_(lines), onRead_(std::move(onRead)) {}

void BodyReader::findBody() {
    position_ = 0;
    const auto stop = static_cast<std::int64_t>(lines_.size()) - 2;
    // The head is not part of the pass's progress: no onRead here.
    while (position_ < stop) {
        const std::string& skipped = peekRaw();
        ++position_;
        if (text::contains(skipped, "<body>")) break;
    }
}

bool BodyReader::hasRaw() const {
    return position_ >= 0 && position_ < static_cast<std::int64_t>(lines_.size());
}

const std::string& BodyReader::peekRaw() const {
    return lines_[static_cast<std::size_t>(position_)];
}

bool BodyReader::readRaw(std::string& into) {
    if (!hasRaw()) return false;
    into = peekRaw();
    ++position_;
    if (onRead_) onRead_();
    return true;
}

bool BodyReader::next(std::string& line) {
    if (ended_ || !readRaw(line) || text::contains(line, "</body>")) {
        ended_ = true;
        return false;
    }
    joinUnfinished(line);
    if (text::endsWith(line, "<br />")) joinSoftBreaks(line);
    return true;
}

// A paragraph that the converter broke over several lines comes back whole.
// The body's end is never pulled into a paragraph: that would put "</body>"
// into a section file and let the pass run on past the body.
void BodyReader::joinUnfinished(std::string& line) {
    std::string next;
    while (!text::endsWith(line, ">") && hasRaw() && !text::contains(peekRaw(), "</body>")) {
        readRaw(next);
        line += "<br />";
        line += next;
    }
}

// Lines that a soft line break ("<br />" at the end) continues belong to
// the same paragraph; a directive line (or the body's end) closes it instead
// and is left for the next read.
void BodyReader::joinSoftBreaks(std::string& line) {
    std::string next;
    while (hasRaw()) {
        const std::string& ahead = peekRaw();
        if (isDirectiveLine(ahead) || text::contains(ahead, "</body>")) {
            line += "</p>";
            return;
        }
        readRaw(next);
        if (next == "</p>") line += "<br />";
        line += next;
        if (!text::endsWith(line, "<br />")) return;
    }
}

void SectionTracker::addText(std::string_view logicalLine) {
    ++lineCount_;
    onlyEmptyParagraph_ = lineCount_ == 1 && isEmptyParagraph(logicalLine);
}

bool SectionTracker::closeSection() {
    const bool written = lineCount_ > 0 && !onlyEmptyParagraph_;
    if (written) ++nextSection_;
    lineCount_ = 0;
    onlyEmptyParagraph_ = false;
    return written;
}

namespace {

bool holdsLineEnd(std::string_view line) {
    static constexpr std::string_view kLineEnds[] = {"\n", "\r", "\v", "\f", "\xC2\x85",
                                                    "\xE2\x80\xA8", "\xE2\x80\xA9"};
    for (std::string_view end : kLineEnds) {
        if (text::contains(line, end)) return true;
    }
    return false;
}

// Elements that show something although they hold no text.
bool holdsVisibleElement(std::string_view line) {
    static constexpr std::string_view kElements[] = {"<img", "<svg", "<video", "<audio", "<object",
                                                    "<embed", "<hr", "<table", "<math", "<iframe"};
    for (std::string_view element : kElements) {
        if (text::containsIgnoringCase(line, element)) return true;
    }
    return false;
}

bool holdsColonDirective(std::string_view line) {
    return holdsColonWord(line, {"bookmark:", "srh:", "toc:", "pnh:"});
}

// Where the directive word of a right-to-left heading starts. The exact
// "bookmark:" is the usual form; for the others (or other letter cases) the
// earliest colon directive stands in, so every heading line has a text.
std::size_t rightToLeftCut(std::string_view line) {
    std::size_t cut = line.find("bookmark:");
    if (cut != std::string_view::npos) return cut;
    for (std::string_view word : {"bookmark:", "srh:", "toc:", "pnh:"}) {
        cut = std::min(cut, text::findIgnoringCase(line, word));
    }
    return cut == std::string_view::npos ? line.size() : cut;
}

// The first ":" of the text, skipping those inside tags, where an attribute
// such as a style or a link would otherwise cut the heading in the wrong place.
std::size_t firstTextColon(std::string_view line) {
    bool insideTag = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '<') insideTag = true;
        else if (c == '>') insideTag = false;
        else if (c == ':' && !insideTag) return i;
    }
    return std::string_view::npos;
}

}  // namespace

bool isEmptyParagraph(std::string_view line) {
    // The normaliser spells the no-break space as a numeric reference; both
    // spellings stand for the same blank paragraph.
    const bool holdsBlank = text::contains(line, ">&nbsp;<") || text::contains(line, ">&#160;<");
    return holdsBlank && !holdsLineEnd(line) && !holdsVisibleElement(line) && plainTextOf(line).empty();
}

bool isMarkLine(std::string_view line) { return holdsColonWord(line, {"bookmark:", "srh:"}); }

bool isPlainBreak(std::string_view line) {
    return text::contains(line, "#######") && !holdsColonDirective(line);
}

bool isRightToLeft(std::string_view line) { return text::containsIgnoringCase(line, "dir=\"rtl\""); }

std::string_view headingText(std::string_view line) {
    if (isRightToLeft(line)) {
        // The name usually stands before the directive word; an author who
        // typed the word first, as in a left-to-right line, has it after.
        const std::size_t cut = rightToLeftCut(line);
        const std::string_view before = line.substr(0, cut);
        const std::size_t colon = line.find(':', cut);
        if (!plainTextOf(before).empty() || colon == std::string_view::npos) return before;
        return line.substr(colon + 1);
    }
    std::size_t colon = firstTextColon(line);
    return colon == std::string_view::npos ? std::string_view{} : line.substr(colon + 1);
}

std::string headingName(std::string_view line) { return plainTextOf(headingText(line)); }

}  // namespace quillary::epub
