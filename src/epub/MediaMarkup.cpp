#include "epub/MediaMarkup.h"

#include <array>

#include "build/Text.h"
#include "epub/Html.h"
#include "platform/Paths.h"

namespace quillary::media {

namespace {

constexpr std::array<std::string_view, 4> kAudioExtensions{"mp3", "aac", "m4a", "m4b"};
constexpr std::array<std::string_view, 4> kVideoExtensions{"mov", "m4v", "mp4", "3gp"};
constexpr std::string_view kMediaWords[] = {">video:", ">audio:"};

// The author types the name with blanks and the word processor may pad it;
// the package stores it without blanks, so both sides are reduced alike.
struct SplitName {
    std::string base;
    std::string extension;  // trimmed, case as typed
};

SplitName splitName(const std::string& name) {
    return {blankFreeName(text::trimBlanksAndTabs(paths::deletingExtension(name))),
            text::trimBlanksAndTabs(paths::extension(name))};
}

// A double quote in a typed name would end the attribute early and leave the
// document unreadable; every other character arrives already encoded.
std::string attributeText(const std::string& value) {
    return text::replacedAll(value, "\"", "&quot;");
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
    return name.find_first_of("&<>?") != std::string_view::npos;
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

MediaMarkup mediaMarkup(std::string_view line, bool epub3) {
    // Starting at the directive word, not at the line's first colon, keeps a
    // colon in an attribute before it (a style, a link) out of the name.
    const std::size_t start = mediaNameStart(line);
    std::string_view piece = start == std::string_view::npos ? std::string_view{} : line.substr(start);
    piece = piece.substr(0, piece.find(':'));

    const SplitName name = splitName(extractTagName(piece));
    const std::string extension = text::lowercaseAscii(name.extension);
    const std::string kind = mediaKind(extension);
    const bool video = kind == "video";

    MediaMarkup result;
    result.mediaName = name.base + "." + extension;
    if (video) result.poster = name.base + ".png";

    const std::string base = attributeText(name.base);
    const std::string source = "media/" + base + "." + attributeText(extension);
    std::string& out = result.markup;
    out = "<div style=\"text-align:center\">";
    if (epub3) {
        const std::string poster = video ? "poster=\"images/" + base + ".png\"" : "";
        out += "<" + kind + " controls=\"controls\" preload=\"auto\" " + poster + " src=\"" +
               source + "\">" + name.base + "</" + kind + ">";
    } else {
        const std::string fallback =
            video ? "<img src=\"images/" + base + ".png\" alt=\"" + base + "\"/>" : name.base;
        out += "<object data=\"" + source + "\" type=\"" + mediaType(extension) + "\">" + fallback +
               "</object>";
    }
    out += "</div>";
    return result;
}

ImageMarkup imageMarkup(std::string_view line) {
    const std::size_t at = text::findIgnoringCase(line, "mage:");
    const std::string placement = text::lowercaseAscii(line.substr(0, at == std::string_view::npos ? 0 : at));
    const std::string_view rest = at == std::string_view::npos ? std::string_view{} : line.substr(at + 5);

    std::string link;
    if (const auto anchor = text::findIgnoringCase(rest, "<a href="); anchor != std::string_view::npos) {
        // An anchor without its ">" is no anchor: linking it would break the page.
        if (const auto close = rest.find('>', anchor); close != std::string_view::npos)
            link = std::string(rest.substr(anchor, close - anchor + 1));
    }

    const SplitName name = splitName(extractTagName(rest));
    // Only exactly "jpg" is kept: every other spelling is taken for a PNG,
    // the one other type an image may have in the package.
    const std::string type = text::startsWith(name.extension, "jpg") ? "jpg" : "png";

    ImageMarkup result;
    result.imageName = name.base + "." + type;
    const std::string source = attributeText(name.base) + "." + type;
    std::string& out = result.markup;
    if (text::endsWith(placement, "ri"))
        out = "<div>" + link + "<img style=\"float:right\" src=\"images/" + source;
    else if (text::endsWith(placement, "li"))
        out = "<div>" + link + "<img style=\"float:left\" src=\"images/" + source;
    else if (text::endsWith(placement, "fi"))
        out = "<div style=\"text-align:center\">" + link + "<img style=\"height:100%\" src=\"images/" + source;
    else
        out = "<div style=\"text-align:center\">" + link + "<img src=\"images/" + source;
    out += "\" alt=\"" + attributeText(name.base) + "\"/>" + (link.empty() ? "" : "</a>") + "</div>";
    return result;
}

}  // namespace quillary::media
