// Images, audio and video: the directive lines of the sections pass and the
// copying of the author's files into the package once the pass is over.
#include <string>
#include <unordered_set>
#include <vector>

#include "build/Text.h"
#include "build/VoveZedevir.h"
#include "epub/MediaMarkup.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

using NameSet = std::unordered_set<std::string>;

// The manifest is XML: a name the author chose must not end its attribute.
std::string manifestHref(const std::string& folder, const std::string& name) {
    std::string href = folder + "/";
    href.reserve(href.size() + name.size());
    for (char c : name) {
        switch (c) {
            case '&': href += "&amp;"; break;
            case '<': href += "&lt;"; break;
            case '>': href += "&gt;"; break;
            case '"': href += "&quot;"; break;
            default: href.push_back(c);
        }
    }
    return href;
}

void appendItem(std::string& manifest, const std::string& id, const std::string& href,
                const std::string& type) {
    manifest += "    <item id=\"" + id + "\" href=\"" + href + "\" media-type=\"" + type + "\"/>\n";
}

}  // namespace

void VoveZedevir::mediaDirective(EpubRun& run) {
    media::MediaMarkup result = media::mediaMarkup(line, epub3());
    run.media.push_back(std::move(result.mediaName));
    if (result.poster) run.images.push_back(std::move(*result.poster));
    line = std::move(result.markup);
}

void VoveZedevir::imageDirective(EpubRun& run) {
    media::ImageMarkup result = media::imageMarkup(line);
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

    int imageNumber = 1;
    for (const std::string& name : entries) {
        const std::string extension = paths::extension(name);
        if (extension != "png" && extension != "jpg") continue;
        const std::string lower = text::lowercaseAscii(name);
        if (text::startsWith(lower, "cover.")) {
            // The package template declares the cover itself, under this name.
            buildWrites.copy(paths::join(root, name), imagesFolder + lower);
            continue;
        }
        const std::string stored = media::blankFreeName(name);
        if (media::hasForbiddenCharacter(stored)) invalidMediaFilenames = true;
        if (!usedImages.count(stored)) continue;
        buildWrites.copy(paths::join(root, name), imagesFolder + stored);
        appendItem(manifest, "image" + std::to_string(imageNumber++), manifestHref("images", stored),
                   extension == "png" ? "image/png" : "image/jpeg");
    }

    int mediaNumber = 1;
    for (const std::string& name : entries) {
        const std::string extension = text::lowercaseAscii(paths::extension(name));
        if (!media::isMediaExtension(extension)) continue;
        const std::string stored = media::blankFreeName(name);
        if (media::hasForbiddenCharacter(stored)) invalidMediaFilenames = true;
        if (!usedMedia.count(stored)) continue;
        buildWrites.copy(paths::join(root, name), mediaFolder + stored);
        appendItem(manifest, "media" + std::to_string(mediaNumber++), manifestHref("media", stored),
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
