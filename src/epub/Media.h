#pragma once
// The author's media files beside the manuscript: which one is the cover,
// which the book can use, and under what names it packs them.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "epub/PackageModel.h"
#include "platform/AuthorFiles.h"

namespace quillary::epub {

// The folder's entry that is the book's cover: the first file in listing
// order with the extension "png" or "jpg" (exact) whose name begins with
// "cover." in any case; nullopt when there is none.
std::optional<std::string> coverFileIn(const std::vector<FolderEntry>& folder);

// The manuscript's folder as the assembly needs to know it: its listing,
// with each picture, audio and video file opened and its first bytes read,
// or the reason it may not be read.
std::vector<FolderEntry> lookAtAuthorFiles(const AuthorFiles& files, const std::string& folder);

// The media type a picture's first bytes show: "image/png", "image/jpeg",
// "image/gif"; nullopt for anything else.
std::optional<std::string> pictureTypeOf(std::string_view head);

// Whether a picture of that type states its size within `head`, as
// checkers and reading systems read it first: false for a PNG without its
// header chunk or a GIF cut short before its screen size (a JPEG's size may
// stand far in, and is not looked for).
bool pictureSizeReadable(std::string_view head, std::string_view type);

// What the folder offers for a name a page uses.
struct FileLookup {
    enum class State { usable, missing, unusableName, refused } state = State::missing;
    std::string stored;  // its name in the book's images or media folder (usable only)
    std::string reason;  // why it is refused, as the end of a sentence about it
};

// The author's files a book packs, with their manifest items.
struct PackedFiles {
    std::vector<AuthorFile> files;
    std::vector<ManifestItem> manifest;     // the cover's is the template's own
    std::vector<std::string> invalidNames;  // the folder's media files whose names a container forbids
};

// The manuscript's folder as the pages see it. Pages name files as the
// author typed them (blanks kept); a file serves a name when its name is
// that name, or, failing that, when both are the same without blanks. Each
// file used is stored once, under its name without blanks, made safe for
// reading systems and distinct from every other stored name.
class AuthorFileIndex {
public:
    // `notAPicture` ends the sentence about a picture file that holds none.
    AuthorFileIndex(const std::vector<FolderEntry>& folder, std::string notAPicture);

    // The image or media file a page names, marking it used. "cover.EXT"
    // is the cover. Media names carry their extension lowercased.
    FileLookup image(const std::string& typed);
    FileLookup media(const std::string& typed);

    // Every file used, in the folder's order, each once.
    PackedFiles packed() const;
    // The cover's name in the book, "cover.EXT" with the extension its
    // bytes call for; nullopt without a cover.
    std::optional<std::string> coverName() const;
    // "cover.jpg links outside ...": each file that would have been the
    // cover but may not be packed, with why.
    std::vector<std::string> refusedCovers() const;

private:
    struct Offer {
        const FolderEntry* entry;
        std::string key;  // the name pages use for it, blanks removed
        bool image;
        std::string type;     // its media type
        std::string refusal;  // why it cannot be packed; empty when it can
    };
    Offer offerFor(const FolderEntry& entry) const;
    FileLookup lookUp(const std::string& typed, bool image);

    std::optional<std::string> cover_;
    std::string notAPicture_;
    std::vector<Offer> offers_;                         // in the folder's order
    std::multimap<std::string, std::size_t> byKey_;     // offers by key, in the folder's order
    std::map<const FolderEntry*, std::string> stored_;  // the files used, by their stored names
    std::set<std::string> taken_;                       // stored names given so far
};

}  // namespace quillary::epub
