#include "epub/MediaMarkup.h"

#include <array>
#include <cctype>

#include "manuscript/Normalise.h"
#include "base/Text.h"
#include "epub/Html.h"
#include "platform/Paths.h"
#include "base/Utf8.h"
#include "base/Xml.h"

namespace quillary::epub::media {

namespace {

constexpr std::array<std::string_view, 4> kAudioExtensions{"mp3", "aac", "m4a", "m4b"};
constexpr std::array<std::string_view, 4> kVideoExtensions{"mov", "m4v", "mp4", "3gp"};
constexpr std::string_view kMediaWords[] = {">video:", ">audio:"};
constexpr std::array<std::string_view, 5> kImageExtensions{"png", "jpg", "jpeg", "gif", "svg"};

// The author types the name with blanks and the word processor may pad it;
// the package stores it without blanks, so both sides are reduced alike.
struct SplitName {
    std::string base;
    std::string extension;  // trimmed, case as typed
    std::string typedBase;  // trimmed, blanks kept
};

// The name reaches us as the normalised HTML holds it, with character
// references; the folder knows it by its real characters.
SplitName splitName(std::string_view html) {
    const std::string name = text::decodeCharacterReferences(plainTextOf(html));
    const std::string typedBase = text::trimBlanksAndTabs(paths::deletingExtension(name));
    return {blankFreeName(typedBase), text::trimBlanksAndTabs(paths::extension(name)), typedBase};
}

// The image extension that the typed one begins with, as typed: text that
// followed the name in its paragraph is not part of it. A name without one
// is taken for a PNG.
std::string imageExtensionOf(std::string_view typed) {
    for (std::string_view known : kImageExtensions)
        if (typed.size() >= known.size() && text::equalsIgnoringCase(typed.substr(0, known.size()), known))
            return std::string(typed.substr(0, known.size()));
    return "png";
}

// Characters that no file in the container may have in its name.
bool isForbiddenCodePoint(char32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return true;
    if (cp < 0x80) return std::string_view("/\\\"*:<>?{}|^`").find(static_cast<char>(cp)) != std::string_view::npos;
    return (cp >= 0xE000 && cp <= 0xF8FF) || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp >= 0xFFF0 && cp <= 0xFFFF) ||
           (cp >= 0xE0000 && cp <= 0xE0FFF) || cp >= 0xF0000;
}

// The code point whose UTF-8 form starts at `pos` (the text is well-formed),
// moving `pos` behind it.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    const int continuations = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t cp = lead & (0x3F >> continuations);
    for (int i = 0; i < continuations; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    return cp;
}

// Where the name starts: after the colon of the first media directive word.
std::size_t mediaNameStart(std::string_view line) {
    std::size_t first = std::string_view::npos;
    std::size_t wordSize = 0;
    for (auto word : kMediaWords) {
        if (const auto at = text::findIgnoringCase(line, word); at < first) {
            first = at;
            wordSize = word.size();
        }
    }
    return first == std::string_view::npos ? first : first + wordSize;
}

}  // namespace

std::string blankFreeName(std::string_view name) {
    std::string result;
    result.reserve(name.size());
    for (char c : name)
        if (c != ' ') result.push_back(c);
    return result;
}

bool hasForbiddenCharacter(std::string_view name) {
    if (!utf8::isValid(name) || name.empty() || name.back() == '.') return true;
    for (std::size_t pos = 0; pos < name.size();)
        if (isForbiddenCodePoint(nextCodePoint(name, pos))) return true;
    return false;
}

std::string fileReference(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string reference;
    reference.reserve(name.size());
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::string_view("-._~!$'()*+,;=@").find(c) != std::string_view::npos) {
            reference.push_back(c);
        } else {
            reference.push_back('%');
            reference.push_back(kHex[byte >> 4]);
            reference.push_back(kHex[byte & 0x0F]);
        }
    }
    return reference;
}

std::string storableName(std::string_view name) {
    std::string stored(name);
    for (char& c : stored)
        if (c == '#') c = '_';
    return stored;
}

bool isImageExtension(std::string_view extension) {
    for (std::string_view known : kImageExtensions)
        if (text::equalsIgnoringCase(extension, known)) return true;
    return false;
}

std::string imageType(std::string_view extension) {
    const std::string lower = text::lowercaseAscii(extension);
    if (lower == "jpg" || lower == "jpeg") return "image/jpeg";
    if (lower == "svg") return "image/svg+xml";
    return "image/" + lower;
}

std::string mediaKind(std::string_view lowercaseExtension) {
    for (auto audio : kAudioExtensions)
        if (lowercaseExtension == audio) return "audio";
    return "video";
}

bool isMediaExtension(std::string_view extension) {
    const std::string lower = text::lowercaseAscii(extension);
    for (auto known : kAudioExtensions)
        if (lower == known) return true;
    for (auto known : kVideoExtensions)
        if (lower == known) return true;
    return false;
}

std::string mediaType(std::string_view lowercaseExtension) {
    // Reading systems hand the manifest's type to their media engine, which
    // refuses types it does not know ("audio/mp3", "video/mov"); only the
    // registered names play everywhere.
    if (lowercaseExtension == "mp3") return "audio/mpeg";
    if (lowercaseExtension == "aac") return "audio/aac";
    if (lowercaseExtension == "m4a" || lowercaseExtension == "m4b") return "audio/mp4";
    if (lowercaseExtension == "mov") return "video/quicktime";
    if (lowercaseExtension == "3gp") return "video/3gpp";
    return "video/mp4";
}

MediaMarkup mediaMarkup(std::string_view line, bool epub3, const std::optional<MediaSources>& stored) {
    // Starting at the directive word, not at the line's first colon, keeps a
    // colon in an attribute before it (a style, a link) out of the name.
    const std::size_t start = mediaNameStart(line);
    std::string_view piece = start == std::string_view::npos ? std::string_view{} : line.substr(start);
    piece = piece.substr(0, piece.find(':'));

    const SplitName name = splitName(piece);
    const std::string extension = text::lowercaseAscii(name.extension);
    const std::string kind = mediaKind(extension);
    const bool video = kind == "video";

    MediaMarkup result;
    result.mediaName = name.base + "." + extension;
    result.typedName = name.typedBase + "." + extension;
    if (video) result.poster = name.base + ".png";
    if (video) result.typedPoster = name.typedBase + ".png";
    const MediaSources sources = stored.value_or(MediaSources{result.mediaName, result.poster});

    const std::string base = manuscript::asPageText(name.base);
    const std::string source = "media/" + fileReference(sources.media);
    const bool withPoster = video && sources.poster;
    const std::string posterSource = withPoster ? "images/" + fileReference(*sources.poster) : "";
    std::string& out = result.markup;
    out = "<div style=\"text-align:center\">";
    if (epub3) {
        const std::string poster = withPoster ? "poster=\"" + posterSource + "\"" : "";
        out += "<" + kind + " controls=\"controls\" preload=\"auto\" " + poster + " src=\"" +
               source + "\">" + base + "</" + kind + ">";
    } else {
        const std::string fallback =
            withPoster ? "<img src=\"" + posterSource + "\" alt=\"" + base + "\"/>" : base;
        out += "<object data=\"" + source + "\" type=\"" + mediaType(extension) + "\">" + fallback +
               "</object>";
    }
    out += "</div>";
    return result;
}

ImageMarkup imageMarkup(std::string_view line, const std::optional<std::string>& alternative,
                        const std::optional<std::string>& stored) {
    const std::size_t at = text::findIgnoringCase(line, "mage:");
    const std::string placement = text::lowercaseAscii(line.substr(0, at == std::string_view::npos ? 0 : at));
    const std::string_view rest = at == std::string_view::npos ? std::string_view{} : line.substr(at + 5);

    std::string link;
    if (const auto anchor = text::findIgnoringCase(rest, "<a href="); anchor != std::string_view::npos) {
        // An anchor without its ">" is no anchor: linking it would break the page.
        if (const auto close = rest.find('>', anchor); close != std::string_view::npos)
            link = std::string(rest.substr(anchor, close - anchor + 1));
    }

    const SplitName name = splitName(rest);
    ImageMarkup result;
    result.imageName = name.base + "." + imageExtensionOf(name.extension);
    result.typedName = name.typedBase + "." + imageExtensionOf(name.extension);
    const std::string source = fileReference(stored.value_or(result.imageName));
    std::string& out = result.markup;
    if (text::endsWith(placement, "ri"))
        out = "<div>" + link + "<img style=\"float:right\" src=\"images/" + source;
    else if (text::endsWith(placement, "li"))
        out = "<div>" + link + "<img style=\"float:left\" src=\"images/" + source;
    else if (text::endsWith(placement, "fi"))
        out = "<div style=\"text-align:center\">" + link + "<img style=\"height:100%\" src=\"images/" + source;
    else
        out = "<div style=\"text-align:center\">" + link + "<img src=\"images/" + source;
    out += "\" alt=\"" + alternative.value_or(manuscript::asPageText(name.base)) + "\"/>" + (link.empty() ? "" : "</a>") + "</div>";
    return result;
}

std::optional<std::string> textAlternative(std::string_view line) {
    // The paragraph's text is page text already: references stay as they
    // are, and only the quote that would end the attribute needs one.
    const std::string plain = plainTextOf(line);
    if (!text::equalsIgnoringCase(std::string_view(plain).substr(0, 4), "alt:")) return std::nullopt;
    return xml::escaped(text::trimBlanksAndTabs(plain.substr(4)), "\"");
}

}  // namespace quillary::epub::media
