#pragma once
// The HTML writer: the document model to the converter's HTML form.

#include "converter/Document.h"

#include <string>

namespace conv {

// Writes the whole HTML page, in the form the build relies on:
//
// The head. "<title>" holds the document's title ("" when it has none), on
// its line. Each property the document states follows on a line of its own,
// in this order and only when stated: <meta name="author" content="...">,
// then "subject", "keywords", "publisher" (RTF's company) and "language" (a
// BCP 47 tag). Values are attribute text ("&", "<", ">", '"' as entities,
// tabs and line breaks as blanks). Then a style block with one rule per line
// between the lines "<style type=\"text/css\">" and "</style>".
//
// The body. "<body>" and "</body>" on lines of their own; one paragraph (or
// table or list line) per line; a line break inside a paragraph as "<br>"
// and a line end; tabs as Apple-tab-span spans; hyperlinks as
// `HYPERLINK "target" <span class="sN">text</span>`; the text's "<", ">" and
// "&" as entities and every other character as UTF-8.
//
// Headings. A paragraph with a heading level, or with the title role, and
// with text or a picture in it is <hN class="hK">...</hN>, N its level (a
// title's 1), K its rule's number: rules "hN.hK {...}" declare what a
// paragraph's would, and are numbered across the six levels. A numbered
// heading is a heading with its number as text, not a list item. In a table
// cell, a heading is a paragraph, and a paragraph has no first-line indent.
//
// Tables. The leading rows marked as the table's head (unless every row is)
// are a <thead> of <th> cells, the rest a <tbody> of <td> cells. A cell
// merged across columns has colspan="N"; one whose merge continues in the
// rows below (within its head or body) has rowspan="N", and the cells it
// covers are not written.
//
// Markers. After its rule class, the class attribute of a paragraph or
// heading carries these words for the build, each after a blank, in this
// order: its role ("title", "subtitle", "caption", "preformatted");
// "picture" when its content is pictures alone (blanks and links around
// them aside), to stand as a block; "page-break-before" when a page break
// comes before it. E.g. <p class="p3 caption">, <h1 class="h2 page-break-before">.
// A page break before a list is on its <ul>/<ol> line (a list broken in the
// middle is closed and opened again), before a table on its <table> line;
// none is written before the first line of the body, nor inside a table.
// A caption's paragraph that begins with its pictures (LibreOffice's frame)
// is written as two lines: a "picture" paragraph, then the "caption" one;
// one that ends with them (captioned above), the "caption" line first.
//
// Languages. A paragraph or heading whose runs with letters are all in one
// language other than the document's (the "language" property) has
// lang="TAG" before its class attribute; otherwise each run in such a
// language is in a span with lang="TAG" (before its class, if it has one),
// and so is a link's text span. Languages are compared by their first
// subtag, so en-GB text in an en-US document carries none; a document
// that names no language marks nothing.
//
// Pictures. A picture is <img src="data:TYPE;base64,BYTES" alt="TEXT" />,
// inline where it stands, with ` width="W" height="H"` (CSS pixels, 96 to
// the inch) before " />" when its size is known, and then
// ` style="width: P%"` when the text width is too, P its share of the text
// width (at most 100.0, one decimal). TEXT is the author's description, ""
// when there is none. TYPE names the bytes: image/png, image/jpeg,
// image/gif, image/svg+xml, which reading systems show; or image/bmp,
// image/tiff, image/emf, image/wmf, image/x-pict, image/x-dib, or
// application/octet-stream (a format nobody named), which they do not:
// such a picture is one the build must leave out and tell the author of,
// naming its format. Every picture of the document is there; none is
// dropped. convertPictures (PictureConversion.h) turns most of the second
// kind into PNG before the document is written.
std::string writeHtml(const Document& document);

}  // namespace conv
