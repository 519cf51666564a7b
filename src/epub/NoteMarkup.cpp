#include "epub/NoteMarkup.h"

#include <algorithm>
#include <map>

#include "build/Text.h"

namespace quillary::notes {

namespace {

// The paragraph's closing tag ("</p>") that ends a line whose note runs on.
constexpr std::size_t kLineCloserLength = 4;

std::size_t countIgnoringCase(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (auto at = text::findIgnoringCase(text, needle); at != std::string_view::npos;
         at = text::findIgnoringCase(text, needle, at + needle.size()))
        ++count;
    return count;
}

struct ClosingTag {
    std::size_t start = std::string::npos;  // at "</"
    std::size_t end = std::string::npos;    // one past ">"
    std::string name;
};

std::optional<ClosingTag> firstClosingTag(const std::string& text) {
    const auto start = text.find("</");
    if (start == std::string::npos) return std::nullopt;
    const auto close = text.find('>', start);
    if (close == std::string::npos) return std::nullopt;
    return ClosingTag{start, close + 1, text.substr(start + 2, close - start - 2)};
}

void appendClean(std::string& out, std::string_view part) {
    for (char c : part)
        if (c != '\0') out.push_back(c);
}

std::string clean(std::string_view part) {
    std::string out;
    out.reserve(part.size());
    appendClean(out, part);
    return out;
}

// The part of a line not yet worked through. Text is never moved: what has
// been worked through is left behind the cursor, and a tag taken out is
// blanked with NUL bytes (never found in the book's HTML) and skipped when
// text is read out. The positions of the next closing tag and of the
// openers looked for are kept between notes, so a line with many notes is
// still read once.
class Remainder {
public:
    explicit Remainder(std::string text) { restart(std::move(text)); }

    void restart(std::string text) {
        work_ = std::move(text);
        cursor_ = 0;
        carried_.clear();
        closerKnown_ = false;
        openers_.clear();
    }
    // The opening tag handed over by a note; it stands before the text.
    void setCarried(std::string tag) { carried_ = std::move(tag); }

    std::size_t find(std::string_view marker) const { return work_.find(marker, cursor_); }
    // The text up to `at`, then skips `skip` characters.
    std::string take(std::size_t at, std::size_t skip) {
        std::string part = std::move(carried_);
        carried_.clear();
        appendClean(part, std::string_view(work_).substr(cursor_, at - cursor_));
        cursor_ = std::min(work_.size(), at + skip);
        return part;
    }
    std::string takeAll() { return take(work_.size(), 0); }
    void appendTo(std::string& out) const {
        out += carried_;
        appendClean(out, std::string_view(work_).substr(cursor_));
    }

    // The first closing tag ahead, when its element was opened in `note`
    // and not ahead of it, moves to the end of `note`. Paragraphs stay.
    void moveCloserInto(std::string& note) {
        if (carried_.find("</") != std::string::npos) return;  // a tag holds no closing tag
        const std::size_t start = nextCloser();
        if (start == std::string::npos) return;
        const std::size_t close = work_.find('>', start);
        if (close == std::string::npos) return;
        const std::string name = clean(std::string_view(work_).substr(start + 2, close - start - 2));
        if (name == "p") return;
        const std::string opener = "<" + name;
        if (carried_.find(opener) != std::string::npos || nextOpener(opener) < start) return;
        const std::string closer = "</" + name + ">";
        if (countIgnoringCase(note, opener) <= countIgnoringCase(note, closer)) return;
        std::fill(work_.begin() + static_cast<std::ptrdiff_t>(start),
                  work_.begin() + static_cast<std::ptrdiff_t>(close + 1), '\0');
        note += closer;
    }

    std::string text() const {
        std::string out;
        appendTo(out);
        return out;
    }

private:
    // Valid while the cached hit is at or past the cursor and still there:
    // nothing between the old start and the hit can have become a match.
    std::size_t cachedFind(std::size_t& cached, std::string_view what) {
        if (cached != std::string::npos && (cached < cursor_ || work_.compare(cached, what.size(), what) != 0))
            cached = work_.find(what, std::max(cursor_, cached));
        return cached;
    }
    std::size_t nextCloser() {
        if (!closerKnown_) {
            closerAt_ = work_.find("</", cursor_);
            closerKnown_ = true;
        }
        return cachedFind(closerAt_, "</");
    }
    std::size_t nextOpener(const std::string& opener) {
        auto [it, inserted] = openers_.try_emplace(opener, std::string::npos);
        if (inserted) it->second = work_.find(opener, cursor_);
        return cachedFind(it->second, opener);
    }

    std::string work_;
    std::size_t cursor_ = 0;
    std::string carried_;
    bool closerKnown_ = false;
    std::size_t closerAt_ = std::string::npos;
    std::map<std::string, std::size_t> openers_;
};

void dropLineCloser(std::string& text) {
    text.erase(text.size() - std::min(text.size(), kLineCloserLength));
}

struct OneNote {
    std::string note;
    bool continued = false;
};

// The note whose opening marker `rest` has just passed, closed on this line.
OneNote closedNote(Remainder& rest, std::size_t close) {
    OneNote one{rest.take(close, kCloseMarker.size()), false};
    rest.setCarried(cutCarriedTag(one.note));
    return one;
}

// A note whose closing marker is not on its line reads on through further
// lines; what follows its closing marker becomes the rest of the line.
OneNote continuedNote(Remainder& rest, const NextLine& nextLine) {
    std::string noteText = rest.takeAll();
    std::string lineCloser = noteText.substr(noteText.size() - std::min(noteText.size(), kLineCloserLength));
    dropLineCloser(noteText);
    bool gathered = false;
    auto close = std::string::npos;
    while (close == std::string::npos) {
        auto next = nextLine();
        if (!next) break;
        gathered = true;
        // A marker may straddle two lines; searching only the new text
        // (and the marker's width before it) keeps a long note linear.
        const std::size_t from = noteText.size() > kCloseMarker.size() ? noteText.size() - kCloseMarker.size() : 0;
        noteText += *next;
        close = noteText.find(kCloseMarker, from);
    }
    if (close == std::string::npos) {
        // The body ended inside the note. The note keeps all it read, its
        // last paragraph closed by the continued entry; the line's own
        // paragraph gets back the closer cut off above, instead of a copy
        // of the last line, which the note already holds.
        if (gathered) dropLineCloser(noteText);
        rest.restart(std::move(lineCloser));
        return {std::move(noteText), gathered};
    }
    rest.restart(noteText.substr(close + kCloseMarker.size()));
    noteText.erase(close);
    rest.setCarried(cutCarriedTag(noteText));
    return {std::move(noteText), gathered};
}

}  // namespace

std::string cutCarriedTag(std::string& note) {
    if (note.empty() || note.back() != '>') return {};
    const auto open = note.rfind('<');
    if (open == std::string::npos || note[open + 1] == '/') return {};
    std::string tag = note.substr(open);
    note.erase(open);
    return tag;
}

void closeElementOpenedBefore(std::string& note, std::string& before) {
    const auto tag = firstClosingTag(note);
    if (!tag) return;
    const auto opener = note.find("<" + tag->name);
    if (opener != std::string::npos && opener < tag->start) return;
    note.erase(tag->start, tag->end - tag->start);
    before += "</" + tag->name + ">";
}

void closeElementOpenedInside(std::string& note, std::string& after) {
    Remainder rest(std::move(after));
    rest.moveCloserInto(note);
    after = rest.text();
}

std::string referenceForm(int number, bool epub3) {
    const std::string n = std::to_string(number);
    return std::string("<sup><a class=\"noteref\" ") + (epub3 ? "epub:type=\"noteref\" " : "") + "id=\"ref" + n +
           "\" href=\"endnotes.xhtml#ref" + n + "\">" + n + "</a></sup>";
}

std::string entryForm(int number, const std::string& note, int section, bool continued, bool epub3) {
    const std::string n = std::to_string(number);
    const std::string back = "<a href=\"section" + std::to_string(section) + ".xhtml#ref" + n + "\">&#8617;</a>";
    if (epub3)
        return n + ". <aside epub:type=\"footnote\" id=\"ref" + n + "\">" + note + (continued ? "</p>" : "") +
               "</aside> " + back + "<br /><br />\n";
    return "<div id=\"ref" + n + "\">" + n + ". " + note + " " + back + (continued ? "</p>" : "") +
           "<br /><br /></div>\n";
}

NotesOfLine makeNotes(std::string_view line, const NoteContext& context, const NextLine& nextLine) {
    NotesOfLine result;
    result.line.reserve(line.size() + 128);
    Remainder rest{std::string(line)};
    int number = context.firstNumber;
    for (auto open = rest.find(kOpenMarker); open != std::string::npos; open = rest.find(kOpenMarker)) {
        std::string before = rest.take(open, kOpenMarker.size());
        const auto close = rest.find(kCloseMarker);
        OneNote one = close != std::string::npos ? closedNote(rest, close) : continuedNote(rest, nextLine);
        closeElementOpenedBefore(one.note, before);
        rest.moveCloserInto(one.note);
        result.line += before;
        result.line += referenceForm(number, context.epub3);
        result.entries += entryForm(number, one.note, context.section, one.continued, context.epub3);
        ++number;
        ++result.notesMade;
    }
    rest.appendTo(result.line);
    return result;
}

}  // namespace quillary::notes
