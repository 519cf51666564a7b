#pragma once
// The author's media files beside the manuscript: which one is the cover,
// and which the book packs, under what names.

#include <optional>
#include <string>
#include <vector>

#include "epub/PackageModel.h"
#include "platform/AuthorFiles.h"

namespace quillary::epub {

// The folder's entry that is the book's cover: the first file in listing
// order with the extension "png" or "jpg" (exact) whose name begins with
// "cover." in any case; nullopt when there is none.
std::optional<std::string> coverFileIn(const std::vector<FolderEntry>& folder);

// The author's files a book packs, with their manifest items, and what is
// wrong with the ones it names.
struct PackedFiles {
    std::vector<AuthorFile> files;
    std::vector<ManifestItem> manifest;  // the cover's is the template's own
    std::vector<std::string> missing;    // names the pages use that no readable file has, in order
    bool invalidNames = false;           // a file's name may not stand in a container
};

// `images` and `media` are the names the pages use (real names, blanks
// removed), the cover's "cover.EXT" first among the images. Files are packed
// in the folder's order, each once, under their names without blanks.
PackedFiles packAuthorFiles(const std::vector<FolderEntry>& folder, const std::vector<std::string>& images,
                            const std::vector<std::string>& media);

}  // namespace quillary::epub
