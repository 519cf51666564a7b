#include "epub/PackageDocuments.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "base/Text.h"
#include "book/Languages.h"

namespace quillary::package {

namespace {

const std::string kNavOpen = std::string("<nav xmlns:epub=\"") + kOpsNamespace + "\"";

// Keeps the lines of `text` that hold none of `needles`, each with its line end.
std::string withoutLinesHolding(std::string_view text, const std::vector<std::string_view>& needles) {
    std::string kept;
    kept.reserve(text.size());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(start, end - start);
        bool drop = false;
        for (std::string_view needle : needles) drop = drop || text::contains(line, needle);
        if (!drop) kept.append(line);
        start = end;
    }
    return kept;
}

// Optional metadata the author left empty would make elements such as
// "<dc:publisher></dc:publisher>", which package validators reject.
bool isEmptyMetadataLine(std::string_view line) {
    const std::string_view trimmed = line.substr(0, line.find_last_not_of(" \t\r\n") + 1);
    const std::size_t open = trimmed.find("<dc:");
    if (open == std::string_view::npos) return false;
    const std::size_t openEnd = trimmed.find('>', open);
    return openEnd != std::string_view::npos && text::startsWith(trimmed.substr(openEnd + 1), "</dc:");
}

std::string withoutEmptyMetadata(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (const std::string& line : text::split(text, "\n")) {
        if (isEmptyMetadataLine(line)) continue;
        kept += line;
        kept += '\n';
    }
    kept.pop_back();  // split gives one piece more than there are line ends
    return kept;
}

}  // namespace

std::string languageCode(const std::string& index) {
    if (index.empty() || index.size() > 2) return languages[0];
    int value = 0;
    for (char c : index) {
        if (c < '0' || c > '9') return languages[0];
        value = value * 10 + (c - '0');
    }
    return value < kLanguageCount ? languages[value] : languages[0];
}

std::string bookIdentifier(const std::string& isbn, const std::string& title, const std::string& author) {
    if (isbn != "urn:uuid:12345") return isbn;
    // Two FNV-1a hashes with different offsets give the 128 bits; the UUID
    // is marked version 8 (vendor-specific) with the RFC variant.
    auto fnv = [&](std::uint64_t hash) {
        for (char c : title + '\n' + author) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
        return hash;
    };
    std::uint64_t high = fnv(0xcbf29ce484222325ULL), low = fnv(0x84222325cbf29ce4ULL);
    high = (high & ~0xf000ULL) | 0x8000ULL;
    low = (low & ~(3ULL << 62)) | (2ULL << 62);
    char uuid[37];
    std::snprintf(uuid, sizeof uuid, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xffff), static_cast<unsigned>(high & 0xffff),
                  static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xffffffffffffULL));
    return std::string("urn:uuid:") + uuid;
}

std::string packageDate(const std::string& date) { return date + "T08:00:00Z"; }

std::string coverType(const std::string& extension) { return extension == "png" ? "png" : "jpeg"; }

std::string fillPlaceholders(std::string_view text,
                             const std::vector<std::pair<std::string, std::string>>& values) {
    std::string filled;
    filled.reserve(text.size() + text.size() / 4);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t dollar = text.find('$', at);
        if (dollar == std::string_view::npos) break;
        filled.append(text.substr(at, dollar - at));
        at = dollar;
        const auto match = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
            return text.substr(dollar).starts_with(entry.first) && !entry.first.empty();
        });
        if (match == values.end()) {
            filled += '$';
            ++at;
            continue;
        }
        filled += match->second;
        at += match->first.size();
    }
    filled.append(text.substr(std::min(at, text.size())));
    return filled;
}

std::string coverPage(std::string_view coverTemplate, const BookFacts& facts) {
    std::string page(coverTemplate);
    if (!facts.hasCover) {
        // The picture's line names "$cover_extension"; the title stands in its place.
        std::string titled;
        for (const std::string& line : text::split(page, "\n")) {
            titled += text::contains(line, "$cover_extension") ? "<h1 class=\"cover\">$book_name</h1>" : line;
            titled += '\n';
        }
        titled.pop_back();
        page = std::move(titled);
    }
    return fillPlaceholders(page, {{"$book_name", text::replacedAll(facts.title, "\"", "")},
                                   {"$cover_extension", facts.coverExtension},
                                   {"$lang", facts.language}});
}

std::string ncxTemplate(std::string_view ncx, const BookFacts& facts) {
    return fillPlaceholders(ncx, {{"$book_name", facts.title},
                                  {"$cover_name", facts.coverName},
                                  {"$isbn", facts.isbn},
                                  {"$lang", facts.language}});
}

std::string packageTemplate(std::string_view opf, const BookFacts& facts) {
    const std::string source =
        facts.hasCover ? std::string(opf) : withoutLinesHolding(opf, {"\"cover-image\""});
    const std::string filled = fillPlaceholders(
        source, {{"$book_name", facts.title},
                 {"$author", facts.author},
                 {"$publisher", facts.publisher},
                 {"$copyright", facts.copyright},
                 {"$genre", facts.genre},
                 {"$date", packageDate(facts.date)},
                 {"$isbn", facts.isbn},
                 {"$lang", facts.language},
                 {"$cover_name", facts.coverName},
                 {"$cover_extension", facts.coverExtension},
                 {"$cover_type", coverType(facts.coverExtension)},
                 {"$spine_direction",
                  isRightToLeftLanguage(facts.language) ? " page-progression-direction=\"rtl\"" : ""}});
    return withoutEmptyMetadata(filled);
}

std::string ncxNavPoint(int number, std::string_view label, std::string_view source) {
    const std::string n = std::to_string(number);
    return "    <navPoint id=\"navpoint-" + n + "\" playOrder=\"" + n + "\">\n      <navLabel>\n        <text>" +
           std::string(label) + "</text>\n      </navLabel>\n      <content src=\"" + std::string(source) +
           "\"/>\n    </navPoint>\n";
}

std::string finishedNcx(std::string_view ncx, const std::string& navmap) {
    return fillPlaceholders(ncx, {{"$navmap\n", navmap}});
}

std::string finishedPackage(std::string_view opf, const std::string& spine,
                            const std::string& manifest, const std::string& guide, bool epub3,
                            const std::string& accessibility) {
    if (epub3)
        return fillPlaceholders(
            opf, {{"$spine\n", spine}, {"$manifest\n", manifest}, {"$accessibility\n", accessibility}});
    return fillPlaceholders(opf, {{"$spine\n", spine}, {"$manifest\n", manifest}, {"$guide\n", guide}});
}

std::string withLanguage(std::string page, const std::string& language, bool epub3) {
    const std::size_t root = page.find("<html");
    if (root == std::string::npos || text::contains(page, "xml:lang=")) return page;
    std::string attributes = " xml:lang=\"" + language + "\"";
    if (epub3) attributes += " lang=\"" + language + "\"";
    page.insert(root + 5, attributes);
    return page;
}

bool isRightToLeftLanguage(const std::string& language) { return language == "ar" || language == "he"; }

std::string withDirection(std::string page, const std::string& language) {
    const std::size_t root = page.find("<html");
    if (!isRightToLeftLanguage(language) || root == std::string::npos) return page;
    const std::size_t rootEnd = page.find('>', root);
    if (page.substr(root, rootEnd - root).find(" dir=") != std::string::npos) return page;
    page.insert(root + 5, " dir=\"rtl\"");
    return page;
}

std::string landmarksHeader() {
    return kNavOpen +
           " epub:type=\"landmarks\" id=\"guide\">\n<ol>\n"
           "<li><a epub:type=\"cover\" href=\"cover.xhtml\">Cover</a></li>\n";
}

std::string landmarksClose(bool contentsPlaced, const std::string& contentsTitle) {
    if (!contentsPlaced) return "</ol>\n</nav>\n";
    return text::format("<li><a epub:type=\"toc\" href=\"toc.xhtml\">%@</a></li>\n</ol>\n</nav>\n",
                        {contentsTitle});
}

std::string epub3ContentsPage(const std::string& contentsTitle, const std::string& contentsList,
                              const std::string& landmarks) {
    std::string page = text::format("<p epub:type=\"frontmatter toc\">\n<b>%@</b>\n<br /><br />\n</p>\n",
                                    {contentsTitle});
    page.reserve(page.size() + contentsList.size() + landmarks.size() + 200);
    page += kNavOpen;
    page += " epub:type=\"toc\" id=\"toc\">\n<ol>\n";
    page += contentsList;
    page += "\n</ol>\n</nav>\n";
    page += landmarks;
    return page;
}

std::string epub2ContentsPage(const std::string& contentsTitle, const std::string& contentsList) {
    return text::format("<p class=\"tc\"><span class=\"sz\"><b>%@</b><br /><br /></span></p>\n%@",
                        {contentsTitle, contentsList});
}

std::string contentsGuideLine() {
    return "    <reference href=\"toc.xhtml\" type=\"toc\" title=\"Table of Contents\"/>\n";
}

std::string contentsManifestLine(bool epub3) {
    return epub3 ? "    <item id=\"toc\" href=\"toc.xhtml\" properties=\"nav\" "
                   "media-type=\"application/xhtml+xml\"/>\n"
                 : "    <item id=\"toc\" href=\"toc.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
}

std::string rightToLeftStartEntry(bool epub3, int section, const std::string& name) {
    const std::string number = std::to_string(section);
    if (epub3)
        return text::format("<li><a epub:type=\"bodymatter\" href=\"section%d.xhtml\">%@</a></li>\n",
                            {number, name});
    return text::format(
        "    <reference href=\"section%d.xhtml\" type=\"other.reader-start-page\" title=\"Start Book\"/>\n",
        {number});
}

}  // namespace quillary::package
