#include "kindle/KindleVariant.h"

#include "base/ShellQuote.h"

#include <algorithm>
#include <string>

namespace quillary::kindle {

namespace {

// The converter's path sits between single quotes, as it always has; the
// single quote itself is the one character that could end them early.
std::string singleQuoted(std::string_view path) {
    return "'" + shellQuoteSingle(path) + "'";
}

std::string doubleQuoted(std::string_view text) {
    return "\"" + shellQuoteDouble(text) + "\"";
}

// A book named "-x" must not reach a converter as an option.
std::string fileArgument(const std::string& name) {
    return doubleQuoted(name.starts_with('-') ? "./" + name : name);
}

// The tag that starts at `at`, with its angle brackets.
std::string_view tagAt(std::string_view text, std::size_t at) {
    const std::size_t end = text.find('>', at);
    return text.substr(at, end == std::string_view::npos ? std::string_view::npos : end + 1 - at);
}

bool opensManuscriptList(std::string_view tag) {
    return tag.starts_with("<ol class=\"ol") || tag.starts_with("<ul class=\"ul");
}

// The tag as the Kindle package writes it inside a manuscript's list: the
// list a <div>, its items <p>; "" for any other tag.
std::string asParagraphTag(std::string_view tag) {
    for (const std::string_view name : {"ol", "ul", "li"}) {
        const std::string_view to = name == "li" ? "p" : "div";
        for (const std::string_view opening : {"<", "</"}) {
            const std::string start = std::string(opening) + std::string(name);
            if (!tag.starts_with(start)) continue;
            const std::string_view rest = tag.substr(start.size());
            if (rest.starts_with('>') || rest.starts_with(' '))
                return std::string(opening) + std::string(to) + std::string(rest);
        }
    }
    return "";
}

}  // namespace

std::string withListsAsParagraphs(std::string_view xhtml) {
    std::string out;
    out.reserve(xhtml.size());
    bool inList = false;  // the converter writes its lists one after another, never nested
    std::size_t copied = 0;
    for (std::size_t at = xhtml.find('<'); at != std::string_view::npos; at = xhtml.find('<', at + 1)) {
        const std::string_view tag = tagAt(xhtml, at);
        if (!inList && !opensManuscriptList(tag)) continue;
        const std::string replaced = asParagraphTag(tag);
        if (replaced.empty()) continue;
        out.append(xhtml.substr(copied, at - copied));
        out += replaced;
        copied = at + tag.size();
        if (tag.starts_with("</o") || tag.starts_with("</u")) inList = false;
        else if (tag.starts_with("<o") || tag.starts_with("<u")) inList = true;
    }
    out.append(xhtml.substr(copied));
    return out;
}

std::string withListRulesAsParagraphRules(std::string_view stylesheet) {
    std::string out;
    out.reserve(stylesheet.size() + 64);
    std::size_t start = 0;
    while (start < stylesheet.size()) {
        const std::size_t end = std::min(stylesheet.find('\n', start), stylesheet.size());
        std::string_view line = stylesheet.substr(start, end - start);
        if (line.starts_with("li.li")) {
            out += 'p';
            line.remove_prefix(2);
            // Kindle readers indent a paragraph's first line unless told not to.
            const std::size_t brace = line.find('{');
            if (brace != std::string_view::npos && line.find("text-indent:") == std::string_view::npos) {
                out.append(line.substr(0, brace + 1));
                out += "text-indent: 0.0px; ";
                line.remove_prefix(brace + 1);
            }
        } else if (line.starts_with("ol.ol") || line.starts_with("ul.ul")) {
            out += "div";
            line.remove_prefix(2);
        }
        out.append(line);
        if (end < stylesheet.size()) out += '\n';
        start = end + 1;
    }
    return out;
}


bool isRecentKindlegenBanner(std::string_view banner) {
    const std::size_t at = banner.find("V2.");
    if (at == std::string_view::npos || at + 3 >= banner.size()) return false;
    // Compared as a byte value, so that a non-ASCII byte after "V2." is not
    // taken for a negative character.
    return static_cast<unsigned char>(banner[at + 3]) > static_cast<unsigned char>('8');
}

std::string packageName(std::string_view saveName) {
    return std::string(saveName) + "Kindle.epub";
}

std::string outputName(std::string_view saveName) {
    return std::string(saveName) + "Kindle.mobi";
}

std::string kindlegenBannerCommand(std::string_view kindlegenPath) {
    return singleQuoted(kindlegenPath);
}

std::string kindlegenCommand(std::string_view kindlegenPath, std::string_view saveName) {
    return singleQuoted(kindlegenPath) + " " + fileArgument(packageName(saveName));
}

// ebook-convert, unlike kindlegen, wants the output named; naming it as
// kindlegen would keeps the rest of the step the same for both converters.
// By itself it makes only the old MOBI 6 edition, which loses floats, and
// turns every picture into a JPEG; the KF8 edition beside it keeps what
// newer Kindles can show, and the pictures stay as they are.
std::string ebookConvertCommand(std::string_view ebookConvertPath, std::string_view saveName) {
    return doubleQuoted(ebookConvertPath) + " " + fileArgument(packageName(saveName)) + " " +
           fileArgument(outputName(saveName)) + " --mobi-file-type both --mobi-keep-original-images";
}

}  // namespace quillary::kindle
