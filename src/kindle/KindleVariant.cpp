#include "kindle/KindleVariant.h"

#include "build/ShellQuote.h"

namespace quillary::kindle {

namespace {

bool namesCoverPage(std::string_view line) {
    return line.find("cover.xhtml") != std::string_view::npos ||
           line.find("<itemref idref=\"cover\"/>") != std::string_view::npos;
}

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

}  // namespace

std::string withoutCoverPage(std::string_view packageDocument) {
    std::string kept;
    kept.reserve(packageDocument.size() + 1);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = packageDocument.find('\n', start);
        const std::string_view line = packageDocument.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!namesCoverPage(line)) {
            kept.append(line);
            kept += '\n';
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return kept;
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
std::string ebookConvertCommand(std::string_view ebookConvertPath, std::string_view saveName) {
    return doubleQuoted(ebookConvertPath) + " " + fileArgument(packageName(saveName)) + " " +
           fileArgument(outputName(saveName));
}

}  // namespace quillary::kindle
