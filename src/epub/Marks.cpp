// Bookmarks and cross-references. The marks pass walks the body before the
// sections pass and, through the same section tracker, learns which section
// file will hold the text after every mark, so that a cross-reference may
// stand ahead of the mark it names.
#include <algorithm>

#include "base/Text.h"
#include "epub/AssemblyState.h"
#include "epub/Html.h"
#include "epub/SectionBoundaries.h"

namespace quillary::package {

namespace {

bool isExcludedMarkName(const std::string& name) {
    return text::containsIgnoringCase(name, "Endnotes") || name == "Contents" || name == "contents";
}

std::string sectionFile(std::int32_t section) { return "section" + std::to_string(section) + ".xhtml"; }

}  // namespace

void Assembly::marksPass() {
    std::atomic<std::int64_t> from{0};
    BodyReader reader(input.lines, from);
    reader.findBody();
    SectionTracker tracker;
    std::map<std::string, std::int32_t> sections;
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
        if (isRightToLeft(current)) rightToLeftMarksSeen = true;
        std::string name = headingName(current);
        // A heading without a name is named after its text in the contents,
        // but gives nothing a cross-reference could ask for.
        if (name.empty() || isExcludedMarkName(name)) {
            previousWasMark = false;
            continue;
        }
        // Two marks on adjacent lines give one section named by the second;
        // the first has no place of its own and is left out.
        if (previousWasMark) sections.erase(lastName);
        if (sections.count(name) != 0) problems.duplicateMarks = true;
        sections[name] = tracker.sectionToWrite();
        previousWasMark = true;
        lastName = std::move(name);
    }
    // A mark with no text after it up to the end of the body opens no
    // section; it stands at the end of the last one written, and a link to
    // a section that does not exist would break the book.
    const std::int32_t lastWritten = tracker.sectionToWrite() - (tracker.hasText() ? 0 : 1);
    for (const auto& [name, section] : sections) {
        if (lastWritten >= 1) marks[name] = sectionFile(std::min(section, lastWritten));
    }
}

void Assembly::resolveCrossReferences() {
    if (marks.empty() || !text::contains(line, "{{")) return;
    // A reference whose name has no mark still becomes a link, to the
    // section that holds the reference itself: an existing file, so the
    // book stays valid while the name is reported.
    const std::string ownSection = sectionFile(sectionNumber);
    std::string resolved;
    resolved.reserve(line.size() + 64);
    std::size_t from = 0;
    // Scanning on behind each link (rather than from the line's start) keeps
    // a name that itself holds "{{" from being read again without end.
    while (true) {
        const std::size_t open = line.find("{{", from);
        if (open == std::string::npos) break;
        const std::size_t close = line.find("}}", open + 2);
        const std::size_t nameEnd = close == std::string::npos ? line.size() : close;
        std::string name = extractTagName(std::string_view(line).substr(open + 2, nameEnd - open - 2));
        auto mark = marks.find(name);
        if (mark == marks.end()) problems.missingMarks.push_back(name);
        if (close == std::string::npos) break;
        resolved.append(line, from, open - from);
        resolved += "<a href=\"";
        resolved += mark == marks.end() ? ownSection : mark->second;
        resolved += "\">";
        resolved += name;
        resolved += "</a>";
        from = close + 2;
    }
    resolved.append(line, from, std::string::npos);
    line = std::move(resolved);
}

}  // namespace quillary::package
