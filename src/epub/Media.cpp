// Images, audio and video: the directive lines of the sections pass and the
// copying of the author's files into the package once the pass is over.
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/Media.h"
#include "epub/MediaMarkup.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

using NameSet = std::unordered_set<std::string>;

void appendItem(std::string& manifest, const std::string& id, const std::string& href,
                const std::string& type) {
    manifest += "    <item id=\"" + id + "\" href=\"" + href + "\" media-type=\"" + type + "\"/>\n";
}

}  // namespace

std::optional<std::string> media::coverFileIn(const std::string& folder) {
    for (const std::string& name : files::listFolder(folder)) {
        const std::string extension = paths::extension(name);
        if (extension != "png" && extension != "jpg") continue;
        if (!text::startsWith(text::lowercaseAscii(name), "cover.")) continue;
        if (files::isDirectory(paths::join(folder, name))) continue;
        return name;
    }
    return std::nullopt;
}

void VoveZedevir::mediaDirective(EpubRun& run) {
    media::MediaMarkup result = media::mediaMarkup(line, epub3());
    run.media.push_back(std::move(result.mediaName));
    if (result.poster) run.images.push_back(std::move(*result.poster));
    line = std::move(result.markup);
}

void VoveZedevir::imageDirective(EpubRun& run, const std::optional<std::string>& alternative) {
    media::ImageMarkup result = media::imageMarkup(line, alternative);
    ++run.imagesShown;
    if (!alternative) imagesWithoutAlternative.push_back(result.imageName);
    run.images.push_back(std::move(result.imageName));
    line = std::move(result.markup);
}

void VoveZedevir::insertImages(const std::vector<std::string>& images, const std::string& imagesFolder,
                               const std::vector<std::string>& media, const std::string& mediaFolder) {
    // One listing, sorted by name, serves every step so that two builds of
    // the same manuscript give the same package.
    const std::vector<std::string> entries = files::listFolder(root);
    const NameSet usedImages(images.begin(), images.end());
    const NameSet usedMedia(media.begin(), media.end());

    // Only the cover the package names is packed, under the name it names.
    const std::optional<std::string> cover = media::coverFileIn(root);
    int imageNumber = 1;
    for (const std::string& name : entries) {
        const std::string extension = paths::extension(name);
        if (!media::isImageExtension(extension)) continue;
        if (name == cover) {
            buildWrites.copy(paths::join(root, name), imagesFolder + "cover." + extension);
            continue;
        }
        // A name the container forbids would make the whole book invalid:
        // such a file is reported and left out, also when the book uses it.
        const std::string stored = media::blankFreeName(name);
        const bool forbidden = media::hasForbiddenCharacter(stored);
        if (forbidden) invalidMediaFilenames = true;
        if (forbidden || !usedImages.count(stored)) continue;
        buildWrites.copy(paths::join(root, name), imagesFolder + stored);
        appendItem(manifest, "image" + std::to_string(imageNumber++), "images/" + media::fileReference(stored),
                   media::imageType(extension));
    }

    int mediaNumber = 1;
    for (const std::string& name : entries) {
        const std::string extension = text::lowercaseAscii(paths::extension(name));
        if (!media::isMediaExtension(extension)) continue;
        const std::string stored = media::blankFreeName(name);
        const bool forbidden = media::hasForbiddenCharacter(stored);
        if (forbidden) invalidMediaFilenames = true;
        if (forbidden || !usedMedia.count(stored)) continue;
        buildWrites.copy(paths::join(root, name), mediaFolder + stored);
        appendItem(manifest, "media" + std::to_string(mediaNumber++), "media/" + media::fileReference(stored),
                   media::mediaType(extension));
    }

    // What arrived is what counts: a copy that failed is reported like a
    // file the author never provided.
    NameSet present;
    for (const auto& name : files::listFolder(imagesFolder)) present.insert(name);
    for (const auto& name : files::listFolder(mediaFolder)) present.insert(name);
    for (const auto& name : images)
        if (!present.count(name)) missingFiles.push_back(name);
    for (const auto& name : media)
        if (!present.count(name)) missingFiles.push_back(name);
}

}  // namespace quillary
