// Endnotes: the notes of the sections pass and the document that collects
// them.
#include <algorithm>
#include <string>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/NoteMarkup.h"
#include "epub/PackageDocuments.h"
#include "platform/Files.h"

namespace quillary {

void VoveZedevir::processEndnotesForKindle(bool /*forKindle: its one caller passes false*/) {
    // The line holding "</body>" is never taken into a note: the sections
    // pass ends there, and the endnotes document would be unreadable.
    const notes::LineAhead lineAhead = [this](std::size_t ahead) -> std::optional<std::string_view> {
        const auto index = static_cast<std::size_t>(std::max<std::int64_t>(0, currLine.load())) + ahead;
        if (index >= lines.size() || text::contains(lines[index], "</body>")) return std::nullopt;
        return lines[index];
    };
    notes::NotesOfLine made = notes::makeNotes(line, {noteNumber, sectionNumber, epub3()}, lineAhead);
    for (std::size_t taken = 0; taken < made.linesTakenIn; ++taken) {
        ++currLine;
        postToMain(&VoveZedevir::lineComplete);
    }
    if (!made.unclosed.empty()) {
        if (!noEnd) unclosedNote = made.unclosed.front();
        noEnd = true;
    }
    line = std::move(made.line);
    endnotes += made.entries;
    noteNumber += made.notesMade;
}

void VoveZedevir::insertEpubEndnotes(const std::string& title) {
    // A second endnotes heading would write the document again with only its
    // heading, losing the notes, and list it twice in the package.
    if (noteNumber == 0) return;

    // The book's own pages keep the direction of each paragraph; the notes
    // document, which the build writes itself, takes the book's.
    const std::string language = package::languageCode(bookInfo.language);
    std::string page = package::withDirection(newSection(), language);
    std::string content;
    content.reserve(endnotes.size() + title.size() + 128);
    if (epub3()) content += "<section role=\"doc-endnotes\" epub:type=\"endnotes\">\n";
    content += "<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>";
    content += title;
    content += "</b><br /><br /></p>\n";
    if (epub3()) {
        // The entries carry their numbers as text, as in EPUB 2.
        content += "<ol style=\"list-style-type: none; margin: 0; padding: 0;\">\n";
        content += endnotes;
        content += "</ol>\n</section>\n";
    } else {
        content += endnotes;
    }
    text::replaceAll(page, "$content\n", content);
    buildWrites.write(tempDirectoryPath + "/OEBPS/endnotes.xhtml", page);

    manifest += "    <item id=\"endnotes\" href=\"endnotes.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
    if (epub3()) {
        // Outside the reading order: reached through the references and the
        // contents entry.
        spine += "    <itemref idref=\"endnotes\" linear=\"no\"/>\n";
    } else {
        spine += "    <itemref idref=\"endnotes\"/>\n";
        navmap += package::ncxNavPoint(navPoint, title, "endnotes.xhtml");
        ++navPoint;
    }
    endnotes.clear();
    noteNumber = 0;
}

}  // namespace quillary
