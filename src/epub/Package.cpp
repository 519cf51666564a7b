// The frame of the EPUB build: the package tree and its filled-in templates
// before the passes, the contents page, NCX, package document and archive
// after them.
#include <optional>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/Archive.h"
#include "epub/BuildFolder.h"
#include "epub/Media.h"
#include "epub/PackageDocuments.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

std::string readTemplate(package::BuildWrites& writes, const Resources& resources, const std::string& pattern,
                         bool epub3) {
    return writes.resource(resources.folder, Resources::versioned(pattern, epub3)).value_or("");
}

void copyResource(package::BuildWrites& writes, const Resources& resources, const std::string& name,
                  const std::string& path) {
    if (const auto content = writes.resource(resources.folder, name)) writes.write(path, *content);
}

// The cover's extension as the manuscript's folder offers it.
std::optional<std::string> coverExtensionIn(const std::string& folder) {
    const std::optional<std::string> cover = media::coverFileIn(folder);
    if (!cover) return std::nullopt;
    return paths::extension(*cover);
}

// Book information arrives in publication form: markup characters escaped.
package::BookFacts bookFacts(const BookInfo& info) {
    package::BookFacts facts;
    facts.title = info.title;
    facts.author = info.author;
    facts.publisher = info.publisher;
    facts.copyright = info.copyright;
    facts.date = info.date;
    facts.isbn = package::bookIdentifier(info.isbn, facts.title, facts.author);
    facts.genre = info.genre;
    facts.language = package::languageCode(info.language);
    return facts;
}

}  // namespace

std::string VoveZedevir::coverImageTypeIn(const std::string& /*imagesFolder: the cover lives in root*/) {
    if (const auto extension = coverExtensionIn(root)) return *extension;
    missingFiles.push_back("cover.jpg");
    return "png";
}

void VoveZedevir::setUpPackage(EpubRun& run) {
    const bool isEpub3 = epub3();
    badLinks.clear();
    missingFiles.clear();
    missingMarks.clear();
    imagesWithoutAlternative.clear();
    run.images.clear();
    run.media.clear();
    run.imagesShown = 0;
    run.headingEntries = 0;
    run.contentsTitle = localized("ContentsTitle");
    run.endnotesTitle = localized("EndnotesTitle");
    navmap.clear();
    spine.clear();
    manifest.clear();
    guide = isEpub3 ? package::landmarksHeader() : std::string();
    navPoint = 1;

    // A build that never reached its completion report left its folder behind.
    if (!tempDirectoryPath.empty()) package::removeBuildFolder(tempDirectoryPath);
    tempDirectoryPath = package::makeBuildFolder(locations.tempParent).value_or("");
    buildWrites = package::BuildWrites(ports.fileWriter, tempDirectoryPath);
    if (tempDirectoryPath.empty()) {
        epubError = "no private temporary folder could be made";
        buildWrites.fail(epubError);
        return;
    }
    const std::string oebps = tempDirectoryPath + "/OEBPS";
    for (const char* folder : {"META-INF", "OEBPS", "OEBPS/images", "OEBPS/media"}) {
        if (!files::makeFolders(tempDirectoryPath + "/" + folder))
            buildWrites.fail(std::string(folder) + " could not be made");
    }
    copyResource(buildWrites, locations.resources, "mimetype", tempDirectoryPath + "/mimetype");
    copyResource(buildWrites, locations.resources, "container.xml", tempDirectoryPath + "/META-INF/container.xml");
    // Every page is made from this template; the sections pass reads it as it goes.
    buildWrites.resource(locations.resources.folder, Resources::versioned("section-%d.html", isEpub3));

    run.coverExtension = coverImageTypeIn(oebps + "/images/");
    run.images.push_back("cover." + run.coverExtension);

    package::BookFacts facts = bookFacts(bookInfo);
    facts.coverName = localized("CoverTitle");
    facts.coverExtension = run.coverExtension;
    facts.hasCover = coverExtensionIn(root).has_value();

    buildWrites.write(oebps + "/cover.xhtml", package::coverPage(readTemplate(buildWrites, locations.resources,
                                                                              "cover-%d.html", isEpub3), facts));
    run.ncxTemplate =
        package::ncxTemplate(readTemplate(buildWrites, locations.resources, "toc-%d.ncx", isEpub3), facts);
    run.opfTemplate =
        package::packageTemplate(readTemplate(buildWrites, locations.resources, "content-%d.opf", isEpub3), facts);
    buildWrites.write(oebps + "/stylesheet.css", styleText);
}

}  // namespace quillary
