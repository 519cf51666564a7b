// Endnotes: the notes of the sections pass and the page that collects them.
#include <algorithm>
#include <string>

#include "base/Text.h"
#include "epub/AssemblyState.h"
#include "epub/NoteMarkup.h"

namespace quillary::package {

void Assembly::makeNotes() {
    // The line holding "</body>" is never taken into a note: the sections
    // pass ends there, and the endnotes document would be unreadable.
    const std::vector<std::string>& lines = input.lines;
    const notes::LineAhead lineAhead = [&](std::size_t ahead) -> std::optional<std::string_view> {
        const auto index = static_cast<std::size_t>(std::max<std::int64_t>(0, position.load())) + ahead;
        if (index >= lines.size() || text::contains(lines[index], "</body>")) return std::nullopt;
        return lines[index];
    };
    notes::NotesOfLine made = notes::makeNotes(line, {noteNumber, sectionNumber, epub3}, lineAhead);
    position += static_cast<std::int64_t>(made.linesTakenIn);
    if (!made.unclosed.empty()) {
        if (!problems.noEnd) problems.unclosedNote = made.unclosed.front();
        problems.noEnd = true;
    }
    line = std::move(made.line);
    endnotes += made.entries;
    noteNumber += made.notesMade;
}

void Assembly::insertEpubEndnotes(const std::string& title) {
    // A second endnotes heading would write the page again with only its
    // heading, losing the notes, and list it twice in the package.
    if (noteNumber == 0) return;

    // The book's own pages keep the direction of each paragraph; the notes
    // page, which the build writes itself, takes the book's.
    std::string content;
    content.reserve(endnotes.size() + title.size() + 128);
    if (epub3) content += "<section role=\"doc-endnotes\" epub:type=\"endnotes\">\n";
    content += "<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>";
    content += title;
    content += "</b><br /><br /></p>\n";
    if (epub3) {
        // The entries carry their numbers as text, as in EPUB 2.
        content += "<ol style=\"list-style-type: none; margin: 0; padding: 0;\">\n";
        content += endnotes;
        content += "</ol>\n</section>\n";
    } else {
        content += endnotes;
    }
    const std::string page = withDirection(model.sectionTemplate, model.facts.language);
    add(model.pages, {"OEBPS/endnotes.xhtml", pageWith(page, content)});

    model.manifest.push_back({"endnotes", "endnotes.xhtml", "application/xhtml+xml", ""});
    if (epub3) {
        // Outside the reading order: reached through the references and the
        // contents entry.
        model.spine.push_back({"endnotes", false});
    } else {
        model.spine.push_back({"endnotes"});
        model.navPoints.push_back({navPoint++, title, "endnotes.xhtml"});
    }
    endnotes.clear();
    noteNumber = 0;
}

}  // namespace quillary::package
