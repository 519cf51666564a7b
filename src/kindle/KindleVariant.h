#pragma once
// Text work of the Kindle step: the converter's version banner, the
// manuscript's lists as paragraphs, and the converter command lines.

#include <string>
#include <string_view>

namespace quillary::kindle {

// True when the converter's banner announces version 2.9 or later: its first
// "V2." is followed by a character above "8". No "V2.", or "V2." at the very
// end, is too old.
bool isRecentKindlegenBanner(std::string_view banner);

// The manuscript's lists carry their numbers and bullets as text in items
// that draw no marker; calibre's conversion draws one anyway, so every
// marker would show twice. In the Kindle package those lists become a block
// of paragraphs: withListsAsParagraphs turns each list the converter wrote
// (`<ol class="olN">`, `<ul class="ulN">` and their `<li>` items) into a
// `<div>` of `<p>` elements with the same classes, and leaves every other
// list (the contents page's) alone; withListRulesAsParagraphRules gives the
// stylesheet's `li.`, `ol.` and `ul.` rules to those elements.
std::string withListsAsParagraphs(std::string_view xhtml);
std::string withListRulesAsParagraphRules(std::string_view stylesheet);

// The Kindle package and the converter's output, both in the temporary
// folder, for the book file name `saveName`.
std::string packageName(std::string_view saveName);  // "NAMEKindle.epub"
std::string outputName(std::string_view saveName);   // "NAMEKindle.mobi"

// The command lines, to run in the temporary folder. Paths are quoted so
// that any byte reaches the program as it stands.
std::string kindlegenBannerCommand(std::string_view kindlegenPath);
std::string kindlegenCommand(std::string_view kindlegenPath, std::string_view saveName);
std::string ebookConvertCommand(std::string_view ebookConvertPath, std::string_view saveName);

}  // namespace quillary::kindle
