#pragma once
// Which passages of a document are in a language other than its own, and
// so carry a lang attribute: the reader's voice and hyphenation follow it.

#include "converter/Document.h"

#include <string>
#include <string_view>
#include <vector>

namespace conv {

// Whether two BCP 47 tags name the same language: their first subtags
// match, case aside ("en-US" and "en-GB" do, "el" and "en" do not). A
// regional variant is the proofing setting of the author's word processor
// far more often than a passage of its own.
bool sameLanguage(std::string_view a, std::string_view b);

// Whether a text holds a letter: ASCII ones, or any character outside ASCII.
// Blanks, digits and ASCII punctuation belong to no language.
bool hasLetters(std::string_view text);

// The manuscript's own language (the one most of its letters are in)
// stands for the book's. When the author names no language the book takes
// exactly that one; when the author names another, it is the author's word
// for the same text, for a word processor's language is as often the
// language of its installation as that of the text. Either way the body
// text is never marked, only what differs from it; a passage that happens
// to be in the language the author named keeps a mark that only repeats
// the page's.
class PassageLanguages {
public:
    // Foreign is what is not the document's language (DocumentInfo::language);
    // when the document names none, nothing is.
    explicit PassageLanguages(const Document& document);

    // The tag a run in the given language (an index into Document::languages,
    // -1 for the document's own) carries; "" when it is not foreign.
    std::string_view ofRun(int language) const;

    // The tag the paragraph carries when every run of it with letters is in
    // one foreign language (its first run's tag); "" otherwise, and its runs
    // carry their own.
    std::string_view ofParagraph(const Paragraph& paragraph) const;

private:
    std::vector<std::string> foreign_;  // per language index, "" for the document's own
};

}  // namespace conv
