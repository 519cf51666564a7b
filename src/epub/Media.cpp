#include "epub/Media.h"

#include <unordered_set>

#include "base/Text.h"
#include "epub/MediaMarkup.h"
#include "platform/Paths.h"

namespace quillary::epub {

namespace {

using NameSet = std::unordered_set<std::string>;

bool packable(const FolderEntry& entry) { return entry.readable && !entry.folder; }

}  // namespace

std::optional<std::string> coverFileIn(const std::vector<FolderEntry>& folder) {
    for (const FolderEntry& entry : folder) {
        const std::string extension = paths::extension(entry.name);
        if (extension != "png" && extension != "jpg") continue;
        if (!text::startsWith(text::lowercaseAscii(entry.name), "cover.") || entry.folder) continue;
        return entry.name;
    }
    return std::nullopt;
}

// What arrives in the book is what counts: a file that cannot be read is
// reported like a file the author never provided.
PackedFiles packAuthorFiles(const std::vector<FolderEntry>& folder, const std::vector<std::string>& images,
                            const std::vector<std::string>& media) {
    PackedFiles packed;
    const NameSet usedImages(images.begin(), images.end());
    const NameSet usedMedia(media.begin(), media.end());
    NameSet present;
    const auto pack = [&](const FolderEntry& entry, const std::string& stored, const std::string& folderName,
                          const std::string& type) {
        if (!packable(entry)) return false;
        packed.files.push_back({"OEBPS/" + folderName + "/" + stored, entry.name, type});
        present.insert(stored);
        return true;
    };

    // Only the cover the package names is packed, under the name it names.
    const std::optional<std::string> cover = coverFileIn(folder);
    int imageNumber = 1;
    for (const FolderEntry& entry : folder) {
        const std::string extension = paths::extension(entry.name);
        if (!media::isImageExtension(extension)) continue;
        if (entry.name == cover) {
            pack(entry, "cover." + extension, "images", media::imageType(extension));
            continue;
        }
        // A name the container forbids would make the whole book invalid:
        // such a file is reported and left out, also when the book uses it.
        const std::string stored = media::blankFreeName(entry.name);
        const bool forbidden = media::hasForbiddenCharacter(stored);
        if (forbidden) packed.invalidNames = true;
        if (forbidden || !usedImages.count(stored) || !pack(entry, stored, "images", media::imageType(extension)))
            continue;
        packed.manifest.push_back({"image" + std::to_string(imageNumber++), "images/" + media::fileReference(stored),
                                   media::imageType(extension), ""});
    }

    int mediaNumber = 1;
    for (const FolderEntry& entry : folder) {
        const std::string extension = text::lowercaseAscii(paths::extension(entry.name));
        if (!media::isMediaExtension(extension)) continue;
        const std::string stored = media::blankFreeName(entry.name);
        const bool forbidden = media::hasForbiddenCharacter(stored);
        if (forbidden) packed.invalidNames = true;
        if (forbidden || !usedMedia.count(stored) || !pack(entry, stored, "media", media::mediaType(extension)))
            continue;
        packed.manifest.push_back({"media" + std::to_string(mediaNumber++), "media/" + media::fileReference(stored),
                                   media::mediaType(extension), ""});
    }

    for (const auto& name : images)
        if (!present.count(name)) packed.missing.push_back(name);
    for (const auto& name : media)
        if (!present.count(name)) packed.missing.push_back(name);
    return packed;
}

}  // namespace quillary::epub
