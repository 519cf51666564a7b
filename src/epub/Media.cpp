#include "epub/Media.h"

#include "base/Text.h"
#include "epub/MediaMarkup.h"
#include "platform/Paths.h"

namespace quillary::epub {

namespace {

// Enough of a file to tell a PNG, a JPEG or a GIF by, with the PNG's and
// the GIF's size.
constexpr std::size_t kHeadBytes = 64;

unsigned bigEndian(std::string_view bytes, std::size_t at, std::size_t count) {
    unsigned value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// "SeaView.png" -> "SeaView-2.png", "SeaView-3.png" ... until no file of
// the book has the name.
std::string distinctName(const std::string& name, const std::set<std::string>& taken) {
    if (!taken.count(name)) return name;
    const std::string base = paths::deletingExtension(name);
    const std::string extension = paths::extension(name);
    for (int n = 2;; ++n) {
        std::string candidate = base + "-" + std::to_string(n) + (extension.empty() ? "" : "." + extension);
        if (!taken.count(candidate)) return candidate;
    }
}

// The name with the extension its picture's bytes call for, where the one
// it has calls for another type: reading systems and checkers go by both.
std::string withExtensionFor(const std::string& name, const std::string& type) {
    const std::string extension = paths::extension(name);
    if (media::imageType(extension) == type || !text::startsWith(type, "image/")) return name;
    return paths::deletingExtension(name) + "." + (type == "image/jpeg" ? "jpg" : type.substr(6));
}

bool isPictureOrPlayerFile(const std::string& name) {
    const std::string extension = paths::extension(name);
    return media::isImageExtension(extension) || media::isMediaExtension(extension);
}

}  // namespace

std::vector<FolderEntry> lookAtAuthorFiles(const AuthorFiles& files, const std::string& folder) {
    std::vector<FolderEntry> entries = files.list(folder);
    for (FolderEntry& entry : entries) {
        if (entry.folder || !entry.readable || !isPictureOrPlayerFile(entry.name)) continue;
        Result<std::unique_ptr<ByteSource>> source = files.open(folder, entry.name);
        Result<std::string> head =
            source ? readHead(**source, kHeadBytes) : Result<std::string>(failure(source.reason()));
        if (head) {
            entry.head = std::move(*head);
            entry.size = (*source)->size();
        } else {
            entry.readable = false;
            entry.refusal = head.reason();
        }
    }
    return entries;
}

std::optional<std::string> pictureTypeOf(std::string_view head) {
    if (head.starts_with("\x89PNG\r\n\x1A\n")) return "image/png";
    if (head.starts_with("\xFF\xD8\xFF")) return "image/jpeg";
    if (head.starts_with("GIF87a") || head.starts_with("GIF89a")) return "image/gif";
    return std::nullopt;
}

bool pictureSizeReadable(std::string_view head, std::string_view type) {
    if (type == "image/png")
        return head.size() >= 33 && bigEndian(head, 8, 4) == 13 && head.substr(12, 4) == "IHDR" &&
               bigEndian(head, 16, 4) != 0 && bigEndian(head, 20, 4) != 0;
    if (type == "image/gif") return head.size() >= 13 && head[6] | head[7] && head[8] | head[9];
    return true;
}

namespace {

// The type of an author's picture that may be packed: one whose head
// also states its size.
std::optional<std::string> packableTypeOf(std::string_view head) {
    std::optional<std::string> type = pictureTypeOf(head);
    if (type && !pictureSizeReadable(head, *type)) return std::nullopt;
    return type;
}

}  // namespace

std::optional<std::string> coverFileIn(const std::vector<FolderEntry>& folder) {
    for (const FolderEntry& entry : folder) {
        const std::string extension = paths::extension(entry.name);
        if (extension != "png" && extension != "jpg") continue;
        if (!text::startsWith(text::lowercaseAscii(entry.name), "cover.") || entry.folder) continue;
        // A cover that cannot be packed leaves the book without one.
        if (!entry.readable || (entry.head && !packableTypeOf(*entry.head))) continue;
        return entry.name;
    }
    return std::nullopt;
}

AuthorFileIndex::AuthorFileIndex(const std::vector<FolderEntry>& folder, std::string notAPicture)
    : cover_(coverFileIn(folder)), notAPicture_(std::move(notAPicture)) {
    for (const FolderEntry& entry : folder) {
        if (!isPictureOrPlayerFile(entry.name)) continue;
        offers_.push_back(offerFor(entry));
        if (entry.name == cover_) taken_.insert(offers_.back().key);
    }
    for (std::size_t i = 0; i < offers_.size(); ++i) byKey_.emplace(offers_[i].key, i);
}

AuthorFileIndex::Offer AuthorFileIndex::offerFor(const FolderEntry& entry) const {
    const std::string extension = paths::extension(entry.name);
    Offer offer{&entry, media::blankFreeName(entry.name), media::isImageExtension(extension), "", entry.refusal};
    if (!offer.image) {
        offer.type = media::mediaType(text::lowercaseAscii(extension));
    } else if (!entry.head || text::lowercaseAscii(extension) == "svg") {
        offer.type = media::imageType(extension);
    } else if (const std::optional<std::string> type = packableTypeOf(*entry.head)) {
        // A reading system believes the manifest, not the name: a PNG
        // saved as "cover.jpg" is packed as the PNG it is.
        offer.type = *type;
    } else {
        offer.refusal = notAPicture_;
    }
    if (!entry.readable && offer.refusal.empty()) offer.refusal = "cannot be read";
    // The package documents name the cover "cover.EXT", whatever the case
    // of its name in the folder.
    if (entry.name == cover_) offer.key = withExtensionFor("cover." + extension, offer.type);
    return offer;
}

std::vector<std::string> AuthorFileIndex::refusedCovers() const {
    std::vector<std::string> refused;
    for (const Offer& offer : offers_) {
        const std::string extension = paths::extension(offer.entry->name);
        if ((extension == "png" || extension == "jpg") && !offer.refusal.empty() &&
            text::startsWith(text::lowercaseAscii(offer.entry->name), "cover."))
            refused.push_back(offer.entry->name + " " + offer.refusal);
    }
    return refused;
}

std::optional<std::string> AuthorFileIndex::coverName() const {
    for (const Offer& offer : offers_)
        if (offer.entry->name == cover_) return offer.key;
    return std::nullopt;
}

FileLookup AuthorFileIndex::image(const std::string& typed) { return lookUp(typed, true); }

FileLookup AuthorFileIndex::media(const std::string& typed) { return lookUp(typed, false); }

FileLookup AuthorFileIndex::lookUp(const std::string& typed, bool image) {
    // Two files may differ only in their blanks ("Sea View.png" beside an
    // older "SeaView.png"): the one named exactly as typed serves.
    const std::string key = media::blankFreeName(typed);
    const Offer* found = nullptr;
    for (auto [at, end] = byKey_.equal_range(key); at != end; ++at) {
        const Offer& offer = offers_[at->second];
        if (offer.image != image) continue;
        if (!found || offer.entry->name == typed) found = &offer;
        if (offer.entry->name == typed) break;
    }
    if (!found) return {};
    const bool cover = found->entry->name == cover_;
    if (!cover && media::hasForbiddenCharacter(found->key)) return {FileLookup::State::unusableName, "", ""};
    if (found->entry->folder) return {};
    if (!found->refusal.empty()) return {FileLookup::State::refused, "", found->refusal};
    auto stored = stored_.find(found->entry);
    if (stored == stored_.end()) {
        const std::string name =
            cover ? found->key : distinctName(withExtensionFor(media::storableName(found->key), found->type), taken_);
        taken_.insert(name);
        stored = stored_.emplace(found->entry, name).first;
    }
    return {FileLookup::State::usable, stored->second, ""};
}

// Files are packed in the folder's order, which fixes the manifest's order
// and numbers whatever order the pages use them in.
PackedFiles AuthorFileIndex::packed() const {
    PackedFiles packed;
    int imageNumber = 1;
    int mediaNumber = 1;
    // Pictures first, then players, each in the folder's order.
    std::vector<const Offer*> ordered;
    for (const bool images : {true, false})
        for (const Offer& each : offers_)
            if (each.image == images) ordered.push_back(&each);
    for (const Offer* each : ordered) {
        const Offer& offer = *each;
        const bool cover = offer.entry->name == cover_;
        if (!cover && media::hasForbiddenCharacter(offer.key)) packed.invalidNames.push_back(offer.entry->name);
        const auto stored = stored_.find(offer.entry);
        if (stored == stored_.end()) continue;
        const std::string folder = offer.image ? "images" : "media";
        const std::string& type = offer.type;
        packed.files.push_back(
            {"OEBPS/" + folder + "/" + stored->second, offer.entry->name, type, offer.entry->head, offer.entry->size});
        if (cover) continue;
        const std::string id =
            offer.image ? "image" + std::to_string(imageNumber++) : "media" + std::to_string(mediaNumber++);
        packed.manifest.push_back({id, folder + "/" + media::fileReference(stored->second), type, ""});
    }
    return packed;
}

}  // namespace quillary::epub
