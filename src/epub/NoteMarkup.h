#pragma once
// Endnote marks in the book's HTML: the author's "<<note>>", which the
// converted HTML holds as "&lt;&lt;note&gt;&gt;", becomes a numbered
// reference in the text and an entry for the endnotes document. Pure text:
// further lines come from a callback, so no build state is touched here.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillary::notes {

inline constexpr std::string_view kOpenMarker = "&lt;&lt;";
inline constexpr std::string_view kCloseMarker = "&gt;&gt;";

struct NoteContext {
    int firstNumber = 1;  // the number the first note of the line gets
    int section = 1;      // the section file the references stand in
    bool epub3 = false;
};

// Gives the next line of the manuscript for a note that runs on past its
// own line, or nullopt when the manuscript's body has no line left. Each
// call consumes the line it returns.
using NextLine = std::function<std::optional<std::string>()>;

struct NotesOfLine {
    std::string line;     // the line with references in place of the notes
    std::string entries;  // one entry per note, in order
    int notesMade = 0;
};

// Turns every mark of `line` into a reference and an entry. A note whose
// closing marker is not on its line takes in further lines until one holds
// it; when none does, the note ends with the manuscript's body.
// Inline elements that the marks cut through are closed on the side where
// they were opened, so the line and the entries stay well nested.
NotesOfLine makeNotes(std::string_view line, const NoteContext& context, const NextLine& nextLine);

// The superscript reference to note `number`.
std::string referenceForm(int number, bool epub3);
// The entry of note `number` whose reference stands in section `section`.
// `continued` is for a note that took in further lines: its last paragraph,
// opened inside the note, is closed by the entry.
std::string entryForm(int number, const std::string& note, int section, bool continued, bool epub3);

// The two nesting repairs and the carried tag, exposed for their tests.
// A note that ends with an opening tag hands that tag to the text after it;
// returns the tag cut off `note`, or "".
std::string cutCarriedTag(std::string& note);
// The mark was typed inside an element that closes within the note: the
// closing tag moves from the note to the end of `before`.
void closeElementOpenedBefore(std::string& note, std::string& before);
// The note opens an element that closes after the closing marker: the
// closing tag moves from `after` to the end of the note. Paragraphs stay.
void closeElementOpenedInside(std::string& note, std::string& after);

}  // namespace quillary::notes
