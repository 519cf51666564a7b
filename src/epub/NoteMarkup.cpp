#include "epub/NoteMarkup.h"

#include <algorithm>
#include <map>

#include "base/Text.h"
#include "epub/Html.h"

namespace quillary::epub::notes {

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

// Follows `text` for the link it leaves open: `openLink` becomes the opening
// tag of that link, or "" when none is open at its end.
void followLinks(std::string_view text, std::string& openLink) {
    for (std::size_t at = text.find("<a"); at != std::string_view::npos; at = text.find("<a", at + 2)) {
        if (at > 0 && text[at - 1] == '/') continue;
        const char next = at + 2 < text.size() ? text[at + 2] : '\0';
        if (next != ' ' && next != '>') continue;
        const std::size_t end = text.find('>', at);
        if (end == std::string_view::npos) return;
        openLink = std::string(text.substr(at, end + 1 - at));
    }
    const std::size_t opened = openLink.empty() ? std::string_view::npos : text.rfind(openLink);
    const std::size_t closed = text.rfind("</a>");
    if (closed != std::string_view::npos && (opened == std::string_view::npos || closed > opened)) openLink.clear();
}

bool startsParagraph(std::string_view line) { return line.starts_with("<p>") || line.starts_with("<p "); }

// How many lines after the note's own one it takes in, up to and including
// the one holding its closing marker; nullopt when it cannot close there.
// Stopping at the first line that opens another note also keeps a book of
// forgotten markers linear: each line is looked at for one note at most.
std::optional<std::size_t> linesToClose(const LineAhead& lineAhead) {
    bool paragraphEnded = true;
    std::string tail;  // the end of the line before, where a marker may begin
    for (std::size_t ahead = 0;; ++ahead) {
        const auto next = lineAhead(ahead);
        if (!next || isDirectiveLine(*next) || (paragraphEnded && !startsParagraph(*next))) return std::nullopt;
        const std::string joined = tail + std::string(*next);
        const auto close = joined.find(kCloseMarker);
        const auto open = joined.find(kOpenMarker);
        if (open < close) return std::nullopt;
        if (close != std::string::npos) return ahead + 1;
        paragraphEnded = next->ends_with("</p>");
        tail = joined.substr(joined.size() - std::min(joined.size(), kCloseMarker.size() - 1));
    }
}

// A note that reads on through `count` further lines; what follows its
// closing marker becomes the rest of the line.
OneNote continuedNote(Remainder& rest, const LineAhead& lineAhead, std::size_t count) {
    std::string noteText = rest.takeAll();
    dropLineCloser(noteText);
    const std::size_t from = noteText.size();
    for (std::size_t ahead = 0; ahead < count; ++ahead) noteText += *lineAhead(ahead);
    const auto close = noteText.find(kCloseMarker, from > kCloseMarker.size() ? from - kCloseMarker.size() : 0);
    rest.restart(noteText.substr(close + kCloseMarker.size()));
    noteText.erase(close);
    rest.setCarried(cutCarriedTag(noteText));
    return {std::move(noteText), true};
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
    // EPUB 2's XHTML has no role attribute.
    return std::string("<sup><a class=\"noteref\" ") + (epub3 ? "epub:type=\"noteref\" role=\"doc-noteref\" " : "") +
           "id=\"ref" + n +
           "\" href=\"endnotes.xhtml#ref" + n + "\">" + n + "</a></sup>";
}

NotesOfLine makeNotes(std::string_view line, const NoteContext& context, const LineAhead& lineAhead) {
    NotesOfLine result;
    result.line.reserve(line.size() + 128);
    Remainder rest{std::string(line)};
    int number = context.firstNumber;
    std::string openLink;
    for (auto open = rest.find(kOpenMarker); open != std::string::npos; open = rest.find(kOpenMarker)) {
        std::string before = rest.take(open, kOpenMarker.size());
        const auto close = rest.find(kCloseMarker);
        std::optional<std::size_t> taken;
        if (close == std::string::npos && result.linesTakenIn == 0 && line.ends_with("</p>") &&
            rest.find(kOpenMarker) == std::string::npos)
            taken = linesToClose(lineAhead);
        if (close == std::string::npos && !taken) {
            const std::string unclosedText = rest.text();
            result.unclosed.push_back(firstWords(unclosedText.substr(0, unclosedText.find(kOpenMarker))));
            followLinks(before, openLink);
            result.line += before;
            result.line += kOpenMarker;
            continue;
        }
        OneNote one = close != std::string::npos ? closedNote(rest, close) : continuedNote(rest, lineAhead, *taken);
        if (taken) result.linesTakenIn = *taken;
        closeElementOpenedBefore(one.note, before);
        rest.moveCloserInto(one.note);
        followLinks(before, openLink);
        result.line += before;
        // A link cannot hold the reference's own link: it closes around it.
        if (!openLink.empty()) result.line += "</a>";
        result.line += referenceForm(number, context.epub3);
        result.line += openLink;
        result.entries += entryForm(number, one.note, one.continued, context);
        ++number;
        ++result.notesMade;
    }
    rest.appendTo(result.line);
    return result;
}

}  // namespace quillary::epub::notes
