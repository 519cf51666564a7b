// Endnotes: the notes of the sections pass and the document that collects
// them.
#include <string>

#include "build/Text.h"
#include "build/VoveZedevir.h"
#include "epub/NoteMarkup.h"
#include "platform/Files.h"

namespace quillary {

void VoveZedevir::processEndnotesForKindle(bool /*forKindle: its one caller passes false*/) {
    // A note may run on to the end of the body; the line holding "</body>"
    // stays for the sections pass, which ends there, and never goes into a
    // note, where it would leave the endnotes document unreadable.
    const notes::NextLine nextLine = [this]() -> std::optional<std::string> {
        const auto index = currLine.load();
        if (index < 0 || static_cast<std::size_t>(index) >= lines.size()) return std::nullopt;
        const std::string& next = lines[static_cast<std::size_t>(index)];
        if (text::contains(next, "</body>")) return std::nullopt;
        currLine = index + 1;
        postToMain(&VoveZedevir::lineComplete);
        return next;
    };
    notes::NotesOfLine made = notes::makeNotes(line, {noteNumber, sectionNumber, epub3()}, nextLine);
    line = std::move(made.line);
    endnotes += made.entries;
    noteNumber += made.notesMade;
}

void VoveZedevir::insertEpubEndnotes(const std::string& title) {
    // A second endnotes heading would write the document again with only its
    // heading, losing the notes, and list it twice in the package.
    if (noteNumber == 0) return;

    std::string page = newSection();
    std::string content;
    content.reserve(endnotes.size() + title.size() + 128);
    content += "<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>";
    content += title;
    content += "</b><br /><br /></p>\n";
    content += endnotes;
    text::replaceAll(page, "$content\n", content);
    buildWrites.write(tempDirectoryPath + "/OEBPS/endnotes.xhtml", page);

    manifest += "    <item id=\"endnotes\" href=\"endnotes.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
    if (epub3()) {
        // Outside the reading order: reached through the references and the
        // contents entry.
        spine += "    <itemref idref=\"endnotes\" linear=\"no\"/>\n";
    } else {
        spine += "    <itemref idref=\"endnotes\"/>\n";
        const std::string number = std::to_string(navPoint);
        navmap += "    <navPoint id=\"navpoint-" + number + "\" playOrder=\"" + number +
                  "\">\n      <navLabel>\n        <text>" + title +
                  "</text>\n      </navLabel>\n      <content src=\"endnotes.xhtml\"/>\n    </navPoint>\n";
        ++navPoint;
    }
    endnotes.clear();
    noteNumber = 0;
}

}  // namespace quillary
