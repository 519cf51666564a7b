// Images, audio and video: the directive lines of the sections pass and the
// copying of the author's files into the package once the pass is over.
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/Text.h"
#include "epub/AssemblyState.h"
#include "epub/Media.h"
#include "epub/MediaMarkup.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

using NameSet = std::unordered_set<std::string>;

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

namespace package {

void Assembly::mediaDirective() {
    media::MediaMarkup result = media::mediaMarkup(line, epub3);
    mediaNames.push_back(std::move(result.mediaName));
    if (result.poster) imageNames.push_back(std::move(*result.poster));
    line = std::move(result.markup);
}

void Assembly::imageDirective(const std::optional<std::string>& alternative) {
    media::ImageMarkup result = media::imageMarkup(line, alternative);
    ++model.content.images;
    if (!alternative) problems.imagesWithoutAlternative.push_back(result.imageName);
    imageNames.push_back(std::move(result.imageName));
    line = std::move(result.markup);
}

// What arrives in the book is what counts: a file that could not be read is
// reported like a file the author never provided.
void Assembly::insertImages() {
    const std::string& root = input.request.manuscriptFolder;
    // One listing, sorted by name, serves every step so that two builds of
    // the same manuscript give the same package.
    const std::vector<std::string> entries = files::listFolder(root);
    const NameSet usedImages(imageNames.begin(), imageNames.end());
    const NameSet usedMedia(mediaNames.begin(), mediaNames.end());
    NameSet present;
    const auto pack = [&](const std::string& name, const std::string& stored, const std::string& folder) {
        std::optional<std::string> bytes = files::readFile(paths::join(root, name));
        if (!bytes) return false;
        add(model.media, {"OEBPS/" + folder + "/" + stored, std::move(*bytes)});
        present.insert(stored);
        return true;
    };

    // Only the cover the package names is packed, under the name it names.
    const std::optional<std::string> cover = media::coverFileIn(root);
    int imageNumber = 1;
    for (const std::string& name : entries) {
        const std::string extension = paths::extension(name);
        if (!media::isImageExtension(extension)) continue;
        if (name == cover) {
            pack(name, "cover." + extension, "images");
            continue;
        }
        // A name the container forbids would make the whole book invalid:
        // such a file is reported and left out, also when the book uses it.
        const std::string stored = media::blankFreeName(name);
        const bool forbidden = media::hasForbiddenCharacter(stored);
        if (forbidden) problems.invalidMediaFilenames = true;
        if (forbidden || !usedImages.count(stored) || !pack(name, stored, "images")) continue;
        model.manifest.push_back({"image" + std::to_string(imageNumber++), "images/" + media::fileReference(stored),
                                  media::imageType(extension), ""});
    }

    int mediaNumber = 1;
    for (const std::string& name : entries) {
        const std::string extension = text::lowercaseAscii(paths::extension(name));
        if (!media::isMediaExtension(extension)) continue;
        const std::string stored = media::blankFreeName(name);
        const bool forbidden = media::hasForbiddenCharacter(stored);
        if (forbidden) problems.invalidMediaFilenames = true;
        if (forbidden || !usedMedia.count(stored) || !pack(name, stored, "media")) continue;
        model.manifest.push_back({"media" + std::to_string(mediaNumber++), "media/" + media::fileReference(stored),
                                  media::mediaType(extension), ""});
    }

    for (const auto& name : imageNames)
        if (!present.count(name)) problems.missingFiles.push_back(name);
    for (const auto& name : mediaNames)
        if (!present.count(name)) problems.missingFiles.push_back(name);
}

}  // namespace package

}  // namespace quillary
