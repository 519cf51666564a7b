#include "epub/BookFiles.h"

#include "epub/ContentsPage.h"
#include "epub/Ncx.h"
#include "epub/PackageDocument.h"
#include "epub/WellFormed.h"
#include "platform/Paths.h"

namespace quillary::epub {

namespace {

bool isXmlDocument(const std::string& name) {
    const std::string extension = paths::extension(name);
    return extension == "xhtml" || extension == "opf" || extension == "ncx";
}

}  // namespace

Rendering epubRendering(const PackageModel& model, std::string accessibility) {
    return {.coverPage = true,
            .contentsPage = model.epub3 || model.contentsPlaced,
            .accessibility = model.epub3 ? std::move(accessibility) : ""};
}

BookFiles packageFiles(const PackageModel& model, const Templates& templates, const Rendering& rendering) {
    BookFiles book;
    std::vector<const PackageFile*>& written = book.files.written;
    const auto write = [&book, &written](std::string name, std::string bytes) {
        written.push_back(&book.written.emplace_back(PackageFile{std::move(name), std::move(bytes)}));
    };
    written.reserve(model.pages.size() + 8);
    write("mimetype", templates.mimetype);
    write("META-INF/container.xml", templates.container);
    for (const PackageFile& page : model.pages) {
        if (rendering.coverPage || page.name != "OEBPS/cover.xhtml") written.push_back(&page);
    }
    for (const AuthorFile& file : model.authorFiles) book.files.authors.push_back(&file);
    write("OEBPS/stylesheet.css", model.stylesheet);
    if (rendering.contentsPage) write("OEBPS/toc.xhtml", contentsDocument(model));
    if (!model.epub3) write("OEBPS/toc.ncx", ncxDocument(model, templates));
    write("OEBPS/content.opf", packageDocument(model, templates, rendering));
    return book;
}

Outcome allWellFormed(const archive::ArchiveFiles& files) {
    for (const PackageFile* file : files.written) {
        if (!isXmlDocument(file->name)) continue;
        if (const Outcome checked = wellFormed(file->bytes); !checked)
            return failure(file->name + " is not well-formed XML (" + checked.reason() + ")");
    }
    return {};
}

}  // namespace quillary::epub
