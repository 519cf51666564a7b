#include "epub/PackageDocument.h"

#include "base/Text.h"
#include "base/Xml.h"
#include "epub/Pages.h"

namespace quillary::epub {

namespace {

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

std::string packageDate(const std::string& date) { return date + "T08:00:00Z"; }

// The media subtype of the cover image: "png" for "png", else "jpeg".
std::string coverType(const std::string& extension) {
    return extension == "png" || extension == "gif" ? extension : "jpeg";
}

// Where reading starts, as the EPUB 2 guide states it; "" when the model
// names no start.
std::string startReference(const PackageModel& model) {
    if (!model.start) return "";
    const StartOfReading& start = *model.start;
    const std::string file = sectionFileName(start.section);
    if (start.fromRightToLeftMark)
        return "    <reference href=\"" + file + "\" type=\"other.reader-start-page\" title=\"Start Book\"/>\n";
    // The name is HTML text, where a double quote may stand as it is; inside
    // the attribute it would end the value and break the package document.
    return "    <reference href=\"" + file + "\" type=\"text\" title=\"" + xml::escaped(start.name, "\"") + "\"/>\n";
}

bool namesCoverPage(std::string_view line) {
    return line.find("cover.xhtml") != std::string_view::npos ||
           line.find("<itemref idref=\"cover\"/>") != std::string_view::npos;
}

}  // namespace

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

std::string manifestLines(const std::vector<ManifestItem>& items) {
    std::string lines;
    for (const ManifestItem& item : items) {
        lines += "    <item id=\"" + item.id + "\" href=\"" + item.href + "\"";
        if (!item.properties.empty()) lines += " properties=\"" + item.properties + "\"";
        lines += " media-type=\"" + item.mediaType + "\"/>\n";
    }
    return lines;
}

std::string spineLines(const std::vector<SpineItem>& items) {
    std::string lines;
    for (const SpineItem& item : items)
        lines += "    <itemref idref=\"" + item.idref + "\"" + (item.linear ? "" : " linear=\"no\"") + "/>\n";
    return lines;
}

std::string guideLines(const PackageModel& model, bool contentsPage) {
    std::string lines = startReference(model);
    if (contentsPage) lines += "    <reference href=\"toc.xhtml\" type=\"toc\" title=\"Table of Contents\"/>\n";
    return lines;
}

std::string packageDocument(const PackageModel& model, const Templates& templates, const Rendering& rendering) {
    const std::string opf = packageTemplate(templates.opf, model.facts);
    std::vector<ManifestItem> manifest = model.manifest;
    if (rendering.contentsPage)
        manifest.push_back({"toc", "toc.xhtml", "application/xhtml+xml", model.epub3 ? "nav" : ""});
    // The EPUB 3 template has no "$guide\n": its landmarks are in the
    // contents page. Its "$accessibility\n" takes the accessibility metadata.
    const std::string document =
        model.epub3 ? fillPlaceholders(opf, {{"$spine\n", spineLines(model.spine)},
                                             {"$manifest\n", manifestLines(manifest)},
                                             {"$accessibility\n", rendering.accessibility}})
                    : fillPlaceholders(opf, {{"$spine\n", spineLines(model.spine)},
                                             {"$manifest\n", manifestLines(manifest)},
                                             {"$guide\n", guideLines(model, rendering.contentsPage)}});
    // Without its cover page the package names no such page: its item, its
    // place in the spine and its guide entry go, every other line stays.
    return rendering.coverPage ? document : withoutCoverPage(document);
}

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

}  // namespace quillary::epub
