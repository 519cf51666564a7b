#include "epub/PackageWriters.h"

#include "base/Text.h"
#include "epub/WellFormed.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::package {

namespace {

std::string sectionFile(int section) { return "section" + std::to_string(section) + ".xhtml"; }

// The start entry as a guide reference (EPUB 2) or a landmark (EPUB 3).
std::string startEntry(const StartOfReading& start, bool epub3) {
    const std::string file = sectionFile(start.section);
    if (epub3) return "<li><a epub:type=\"bodymatter\" href=\"" + file + "\">" + start.name + "</a></li>\n";
    if (start.fromRightToLeftMark)
        return "    <reference href=\"" + file + "\" type=\"other.reader-start-page\" title=\"Start Book\"/>\n";
    // The name is HTML text, where a double quote may stand as it is; inside
    // the attribute it would end the value and break the package document.
    return "    <reference href=\"" + file + "\" type=\"text\" title=\"" +
           text::replacedAll(start.name, "\"", "&quot;") + "\"/>\n";
}

std::string guide(const PackageModel& model, bool contentsPage) {
    std::string lines = model.epub3 ? landmarksHeader() : "";
    lines += startOfReadingEntry(model);
    if (model.epub3) lines += landmarksClose(model.contentsPlaced, model.contentsTitle);
    else if (contentsPage) lines += contentsGuideLine();
    return lines;
}

std::optional<std::string> readResource(const std::string& folder, const std::string& name,
                                        std::string& missing) {
    auto content = files::readFile(paths::join(folder, name));
    if (!content && missing.empty()) missing = "the program's file " + name + " is missing from " + folder;
    return content;
}

bool namesCoverPage(std::string_view line) {
    return line.find("cover.xhtml") != std::string_view::npos ||
           line.find("<itemref idref=\"cover\"/>") != std::string_view::npos;
}

bool isXmlDocument(const std::string& name) {
    const std::string extension = paths::extension(name);
    return extension == "xhtml" || extension == "opf" || extension == "ncx";
}

}  // namespace

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

std::string contentsList(const PackageModel& model) {
    std::string list;
    for (const ContentsEntry& entry : model.contents) {
        if (!model.epub3) {
            list += "<p class=\"tcd\"><span class=\"sz\"><a href=\"" + entry.href + "\">" + entry.label +
                    "</a><br /></span></p>\n";
        } else {
            const std::string id = entry.number > 0 ? " id=\"navpoint-" + std::to_string(entry.number) + "\"" : "";
            list += "<li" + id + "><a href=\"" + entry.href + "\">" + entry.label + "</a></li>\n";
        }
    }
    return list;
}

Result<Templates> loadTemplates(const std::string& resourcesFolder, bool epub3) {
    const std::string version = epub3 ? "3" : "2";
    std::string missing;
    Templates templates;
    const std::pair<std::string*, std::string> files[] = {
        {&templates.mimetype, "mimetype"},
        {&templates.container, "container.xml"},
        {&templates.section, "section-" + version + ".html"},
        {&templates.cover, "cover-" + version + ".html"},
        {&templates.ncx, "toc-" + version + ".ncx"},
        {&templates.opf, "content-" + version + ".opf"},
    };
    for (const auto& [into, name] : files) *into = readResource(resourcesFolder, name, missing).value_or("");
    if (!missing.empty()) return failure(missing);
    return templates;
}

Rendering epubRendering(const PackageModel& model, std::string accessibility) {
    return {.coverPage = true,
            .contentsPage = model.epub3 || model.contentsPlaced,
            .accessibility = model.epub3 ? std::move(accessibility) : ""};
}

std::string packageDocument(const PackageModel& model, const Templates& templates, const Rendering& rendering) {
    std::string opf = packageTemplate(templates.opf, model.facts);
    std::vector<ManifestItem> manifest = model.manifest;
    if (rendering.contentsPage)
        manifest.push_back({"toc", "toc.xhtml", "application/xhtml+xml", model.epub3 ? "nav" : ""});
    std::string document = finishedPackage(opf, spineLines(model.spine), manifestLines(manifest),
                                           guide(model, rendering.contentsPage), model.epub3, rendering.accessibility);
    // Without its cover page the package names no such page: its item, its
    // place in the spine and its guide entry go, every other line stays.
    return rendering.coverPage ? document : withoutCoverPage(document);
}

std::string navMap(const PackageModel& model) {
    std::string navmap;
    for (const NavPoint& point : model.navPoints) navmap += ncxNavPoint(point.number, point.label, point.source);
    return navmap;
}

std::string startOfReadingEntry(const PackageModel& model) {
    return model.start ? startEntry(*model.start, model.epub3) : "";
}

std::string ncxDocument(const PackageModel& model, const Templates& templates) {
    return finishedNcx(ncxTemplate(templates.ncx, model.facts), navMap(model));
}

std::string pageWith(std::string_view sectionTemplate, std::string_view content) {
    // Made to measure: a book keeps every page in memory until it is packed.
    constexpr std::string_view placeholder = "$content\n";
    std::size_t places = 0;
    for (std::size_t at = sectionTemplate.find(placeholder); at != std::string_view::npos;
         at = sectionTemplate.find(placeholder, at + placeholder.size()))
        ++places;
    std::string page;
    page.reserve(sectionTemplate.size() + places * content.size());
    std::size_t from = 0;
    for (std::size_t at = sectionTemplate.find(placeholder); at != std::string_view::npos;
         at = sectionTemplate.find(placeholder, from)) {
        page.append(sectionTemplate, from, at - from).append(content);
        from = at + placeholder.size();
    }
    page.append(sectionTemplate, from);
    return page;
}

std::string contentsDocument(const PackageModel& model) {
    const std::string list = contentsList(model);
    const std::string page = model.epub3 ? epub3ContentsPage(model.contentsTitle, list, guide(model, true))
                                         : epub2ContentsPage(model.contentsTitle, list);
    const std::string document = pageWith(model.sectionTemplate, page);
    const std::string& language = model.facts.language;
    return withDirection(withLanguage(document, language, model.epub3), language);
}

BookFiles packageFiles(const PackageModel& model, const Templates& templates, const Rendering& rendering) {
    BookFiles book;
    const auto write = [&book](std::string name, std::string bytes) {
        book.files.push_back(&book.written.emplace_back(PackageFile{std::move(name), std::move(bytes)}));
    };
    book.files.reserve(model.pages.size() + model.media.size() + 8);
    write("mimetype", templates.mimetype);
    write("META-INF/container.xml", templates.container);
    for (const PackageFile& page : model.pages) {
        if (rendering.coverPage || page.name != "OEBPS/cover.xhtml") book.files.push_back(&page);
    }
    for (const PackageFile& file : model.media) book.files.push_back(&file);
    write("OEBPS/stylesheet.css", model.stylesheet);
    if (rendering.contentsPage) write("OEBPS/toc.xhtml", contentsDocument(model));
    if (!model.epub3) write("OEBPS/toc.ncx", ncxDocument(model, templates));
    write("OEBPS/content.opf", packageDocument(model, templates, rendering));
    return book;
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

std::optional<std::string> firstMalformedDocument(const std::vector<const PackageFile*>& files) {
    for (const PackageFile* file : files) {
        if (!isXmlDocument(file->name)) continue;
        if (const auto error = xml::wellFormednessError(file->bytes))
            return file->name + " is not well-formed XML (" + *error + ")";
    }
    return std::nullopt;
}

}  // namespace quillary::package
