#include "epub/Marks.h"

#include <algorithm>

#include "base/Text.h"
#include "epub/Html.h"
#include "epub/Pages.h"
#include "epub/SectionBoundaries.h"

namespace quillary::epub {

namespace {

bool isExcludedMarkName(const std::string& name) {
    return text::containsIgnoringCase(name, "Endnotes") || name == "Contents" || name == "contents";
}

}  // namespace

Marks findMarks(const std::vector<std::string>& lines) {
    BodyReader reader(lines);
    reader.findBody();
    SectionTracker tracker;
    Marks marks;
    bool previousWasMark = false;
    std::string lastName;
    std::string current;
    while (reader.next(current)) {
        if (!isDirectiveLine(current)) {
            tracker.addText(current);
            previousWasMark = false;
            continue;
        }
        tracker.closeSection();
        if (!isMarkLine(current)) {
            previousWasMark = false;
            continue;
        }
        if (isRightToLeft(current)) marks.rightToLeft = true;
        std::string name = headingName(current);
        // A heading without a name is named after its text in the contents,
        // but gives nothing a cross-reference could ask for.
        if (name.empty() || isExcludedMarkName(name)) {
            previousWasMark = false;
            continue;
        }
        // Two marks on adjacent lines give one section named by the second;
        // the first has no place of its own and is left out.
        if (previousWasMark) marks.sections.erase(lastName);
        if (marks.sections.count(name) != 0 && !marks.duplicates) {
            marks.duplicates = true;
            marks.duplicate = name;
        }
        marks.sections[name] = tracker.sectionToWrite();
        previousWasMark = true;
        lastName = std::move(name);
    }
    // A mark with no text after it up to the end of the body opens no
    // section; it stands at the end of the last one written, and a link to
    // a section that does not exist would break the book.
    const int lastWritten = tracker.sectionToWrite() - (tracker.hasText() ? 0 : 1);
    if (lastWritten < 1) marks.sections.clear();
    for (auto& [name, section] : marks.sections) section = std::min(section, lastWritten);
    return marks;
}

std::string withCrossReferences(std::string_view line, const Marks& marks, int ownSection,
                                std::vector<std::string>& missing) {
    if (marks.sections.empty() || !text::contains(line, "{{")) return std::string(line);
    // A reference whose name has no mark still becomes a link, to the
    // section that holds the reference itself: an existing file, so the
    // book stays valid while the name is reported.
    std::string resolved;
    resolved.reserve(line.size() + 64);
    std::size_t from = 0;
    // Scanning on behind each link (rather than from the line's start) keeps
    // a name that itself holds "{{" from being read again without end.
    while (true) {
        const std::size_t open = line.find("{{", from);
        if (open == std::string_view::npos) break;
        const std::size_t close = line.find("}}", open + 2);
        const std::size_t nameEnd = close == std::string_view::npos ? line.size() : close;
        std::string name = plainTextOf(line.substr(open + 2, nameEnd - open - 2));
        const auto mark = marks.sections.find(name);
        if (mark == marks.sections.end()) missing.push_back(name);
        if (close == std::string_view::npos) break;
        resolved.append(line, from, open - from);
        resolved += "<a href=\"";
        resolved += sectionFileName(mark == marks.sections.end() ? ownSection : mark->second);
        resolved += "\">";
        resolved += name;
        resolved += "</a>";
        from = close + 2;
    }
    resolved.append(line, from, std::string_view::npos);
    return resolved;
}

}  // namespace quillary::epub
