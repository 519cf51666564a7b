#pragma once
// Endnote marks in the book's HTML: the author's "<<note>>", which the
// converted HTML holds as "&lt;&lt;note&gt;&gt;", becomes a numbered
// reference in the text and an entry for the endnotes document. Pure text:
// further lines come from a callback, so no build state is touched here.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::epub::notes {

inline constexpr std::string_view kOpenMarker = "&lt;&lt;";
inline constexpr std::string_view kCloseMarker = "&gt;&gt;";

struct NoteContext {
    int firstNumber = 1;  // the number the first note of the line gets
    int section = 1;      // the section file the references stand in
    bool epub3 = false;
    bool rightToLeftPage = false;  // the notes page reads right to left
};

// The manuscript's line `ahead` lines after the one being worked on (0: the
// next one), or nullopt past the end of the manuscript's body. Reading a
// line does not consume it.
using LineAhead = std::function<std::optional<std::string_view>(std::size_t ahead)>;

struct NotesOfLine {
    std::string line;     // the line with references in place of the notes
    std::string entries;  // one entry per note, in order
    int notesMade = 0;
    std::size_t linesTakenIn = 0;  // lines after this one that the notes took in
    // The first words of each note that never closed, in order.
    std::vector<std::string> unclosed;
};

// Turns every mark of `line` into a reference and an entry. A note whose
// closing marker is not on its line takes in further lines up to the one
// that holds it, as long as its paragraph ends with the line and the lines
// it takes in are whole paragraphs of the same kind, none a directive and
// none opening another note: a note never reaches into another table cell
// or list item, nor over a heading. A note that cannot close stays as text,
// its opening marker included, and is reported in `unclosed`.
// Inline elements that the marks cut through are closed on the side where
// they were opened, and each entry is balanced, so the line and the entries
// stay well nested.
NotesOfLine makeNotes(std::string_view line, const NoteContext& context, const LineAhead& lineAhead);

// The superscript reference to note `number`.
std::string referenceForm(int number, bool epub3);
// The entry of note `number` whose reference stands in `context.section`;
// in EPUB 3 an item of the endnotes document's list. The number, the text
// and the way back read as one paragraph; a note of several paragraphs keeps
// them, with the number in the first and the way back in the last.
// `continued` is for a note that took in further lines: its last paragraph,
// opened inside the note, is closed by the entry. A note whose text runs the
// other way than the notes page states its own direction.
std::string entryForm(int number, const std::string& note, bool continued, const NoteContext& context);

enum class TextDirection { LeftToRight, RightToLeft };
// The direction most letters of `html`'s text run in (markup skipped,
// character references read); nullopt when neither has more.
std::optional<TextDirection> textDirection(std::string_view html);

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

}  // namespace quillary::epub::notes
