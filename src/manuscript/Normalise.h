#pragma once
// Text clean-up that makes converted HTML and typed metadata safe to place
// into XHTML and package documents as they stand: ASCII only, with decimal
// character references for everything else.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::manuscript {

// Writes every character outside ASCII as "&#N;" with its code point in
// decimal (U+00E9 -> "&#233;", U+1F600 -> "&#128512;"); ASCII is copied
// unchanged. The input is read as UTF-8; each ill-formed stretch (a stray
// continuation byte, a truncated sequence, an overlong form, a surrogate, a
// value past U+10FFFF) becomes one "&#65533;" (the replacement character)
// per maximal invalid subpart, so the valid text around it is kept. So do
// the characters XML forbids even as references: the control characters
// but tab, line feed, carriage return, vertical tab and form feed (which
// stay as they are), and U+FFFE and U+FFFF. The result is pure ASCII.
std::string EncodeForHTML(std::string_view text);

// Plain text (a name, a sentence) as it stands in a page or package document:
// the markup characters &, <, > and " as references, then EncodeForHTML.
std::string asPageText(std::string_view text);

// Occurrences of `needle` in `haystack`, ignoring ASCII case, counted left
// to right without overlap; 0 when either text is empty.
std::size_t countString(std::string_view needle, std::string_view haystack);

// Normalises a whole text, as if these rules ran one after another over it,
// in one pass: runs of hyphens become dashes (two: en dash; three or four:
// em dash; longer runs fours first), in the manuscript only outside its
// tags, quoted attribute values and comments; the horizontal bar becomes
// an en dash; then tabs and line breaks; then (with `epub3`)
// the table attributes EPUB 3 no longer allows; then a tag's lang="TAG"
// (TAG letters, digits and hyphens) becomes xml:lang="TAG", or with
// `epub3` lang="TAG" xml:lang="TAG"; then EncodeForHTML.
// `forBookInfo`: a metadata entry, where tabs, "\t" and "<br>" become one
// blank; otherwise the converted manuscript, where a tab span becomes six
// no-break spaces and "<br>" becomes "<br />".
std::string fixEncodings(std::string_view text, bool forBookInfo, bool epub3);

// Turns every hyperlink field left in `line` as
//   HYPERLINK "target" ...<span ...">link text</span>...
// or
//   HYPERLINK "target"link text</...
// into <a href="target">link text</a>, keeping whatever stood between the
// target and the link text in front of the link. The link text of each
// field whose target has no scheme or no host is appended to `badLinks`;
// the link is made all the same. A "HYPERLINK" not in that form (running
// text, a field whose parts are missing, a target holding markup) is left
// as it stands, and the parts of one field are never looked for past the
// next "HYPERLINK".
std::string fixLinks(std::string_view line, std::vector<std::string>& badLinks);

// The converted manuscript made ready for the assembly: its lines
// normalised, and the stylesheet derived from its style block.
struct NormalisedManuscript {
    std::vector<std::string> lines;
    std::string stylesheet;
    std::size_t bodySearchFrom = 0;  // the first line behind the style block
    bool negativeMargins = false;    // a rule whose margins push text off the page was found, and logged
    std::string negativeStyle;       // that rule's selector: "p.p2"
};
// `html` is let go of as soon as it is read: a long book need not be held
// three times over. A passage marked in `bookLanguage` (a BCP 47 tag, ""
// when unknown) loses its mark, the first subtags deciding: the pages
// state the book's language already.
NormalisedManuscript normaliseManuscript(std::string html, bool epub3, std::string_view bookLanguage = {});

}  // namespace quillary::manuscript
