#include <gtest/gtest.h>

#include <algorithm>

#include "epub/Media.h"
#include "epub/PackageDocument.h"

using namespace quillary;
using namespace quillary::epub;
using Names = std::vector<std::string>;

namespace {

// A manuscript's folder holding the given files (a name with a "/" stands
// for a file in a folder of that name), and what is packed of it once the
// pages have used the images and media named.
struct Package {
    epub::PackedFiles packed;

    Package(const Names& files, const Names& usedImages, const Names& usedMedia = {}) {
        std::vector<FolderEntry> folder;
        for (const auto& name : files) {
            const std::size_t slash = name.find('/');
            folder.push_back({name.substr(0, slash), slash != std::string::npos});
        }
        std::sort(folder.begin(), folder.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        packed = epub::packAuthorFiles(folder, usedImages, usedMedia);
    }
    // The names packed into the folder, "images" or "media", sorted.
    Names packedInto(const std::string& folder) const {
        Names names;
        for (const auto& file : packed.files)
            if (file.name.starts_with("OEBPS/" + folder + "/")) names.push_back(file.name.substr(folder.size() + 7));
        std::sort(names.begin(), names.end());
        return names;
    }
    // The author's file a packed file is read from.
    std::string source(const std::string& name) const {
        for (const auto& file : packed.files)
            if (file.name == "OEBPS/" + name) return file.source;
        return "<none>";
    }
    std::string manifest() const { return epub::manifestLines(packed.manifest); }
    const Names& missing() const { return packed.missing; }
    bool invalidNames() const { return packed.invalidNames; }
};

std::string item(const std::string& id, const std::string& href, const std::string& type) {
    return "    <item id=\"" + id + "\" href=\"" + href + "\" media-type=\"" + type + "\"/>\n";
}

}  // namespace

TEST(InsertImages, UsedImagesArriveUnderTheirRealNamesAndOnlyTheChosenCoverIsPacked) {
    const std::string umlaut = "\xC3\x9Cmlaut.png";
    Package p({"COVER.jpg", "cover.png", "boat.png", "Photo One.png", "unused.jpg", "Map.JPG", "photo.jpeg", "logo.gif",
               "plan.svg", umlaut, "50% #1.png"},
              {"cover.jpg", "boat.png", "PhotoOne.png", "Map.JPG", "photo.jpeg", "logo.gif", "plan.svg", umlaut, "50%#1.png",
               "Photo.png", "boat.png"});
    EXPECT_EQ(p.packedInto("images"), (Names{"50%#1.png", "Map.JPG", "PhotoOne.png", "boat.png", "cover.jpg", "logo.gif",
                                                  "photo.jpeg", "plan.svg", umlaut}));
    EXPECT_EQ(p.source("images/cover.jpg"), "COVER.jpg");
    EXPECT_EQ(p.source("images/PhotoOne.png"), "Photo One.png");
    EXPECT_EQ(p.manifest(), item("image1", "images/50%25%231.png", "image/png") + item("image2", "images/Map.JPG", "image/jpeg") +
                                item("image3", "images/PhotoOne.png", "image/png") + item("image4", "images/boat.png", "image/png") +
                                item("image5", "images/logo.gif", "image/gif") + item("image6", "images/photo.jpeg", "image/jpeg") +
                                item("image7", "images/plan.svg", "image/svg+xml") +
                                item("image8", "images/%C3%9Cmlaut.png", "image/png"));
    EXPECT_EQ(p.missing(), (Names{"Photo.png"}));
    EXPECT_FALSE(p.invalidNames());
}

TEST(InsertImages, OnlyWhatIsUsedArrivesAndWhatIsMissingIsReportedEachTime) {
    Package p({"cover.png", "holiday.png", "song.mp3", "art/boat.png"}, {"cover.png"});
    EXPECT_EQ(p.packedInto("images"), (Names{"cover.png"}));
    EXPECT_TRUE(p.packedInto("media").empty());
    EXPECT_EQ(p.manifest(), "");
    EXPECT_TRUE(p.missing().empty());

    // Missing names are reported each time they are used, images first.
    Package q({"talk.mov"}, {"cover.png", "boat.png", "talk.png", "boat.png", "boat.png"}, {"song.mp3", "talk.mov"});
    EXPECT_EQ(q.packedInto("media"), (Names{"talk.mov"}));
    EXPECT_EQ(q.missing(), (Names{"cover.png", "boat.png", "talk.png", "boat.png", "boat.png", "song.mp3"}));
}

TEST(InsertImages, NamesTheContainerForbidsAreFlaggedEvenUnusedAndNeverPacked) {
    const std::pair<const char*, bool> names[] = {
        {"cover.?.png", false}, {"a&b.png", false}, {"why?.mp3", true}, {"a:b.png", true}, {"a|b.gif", true},
        {"a\"b.jpg", true},      {"tab\t.png", true}, {"\xEE\x80\x80.png", true}, {"\xFF.png", true}};
    for (const auto& [name, flagged] : names)
        EXPECT_EQ(Package({name}, {"cover.png"}).invalidNames(), flagged) << name;
    Package used({"a?b.png", "c?d.mp3"}, {"cover.png", "a?b.png"}, {"c?d.mp3"});
    EXPECT_EQ(used.packedInto("images"), Names{});
    EXPECT_EQ(used.packedInto("media"), Names{});
    EXPECT_EQ(used.manifest(), "");
    EXPECT_EQ(used.missing(), (Names{"cover.png", "a?b.png", "c?d.mp3"}));
    EXPECT_EQ(Package({"a&b.png"}, {"a&b.png"}).manifest(), item("image1", "images/a%26b.png", "image/png"));
}

TEST(InsertImages, MediaGetRegisteredTypesAndTheirOwnNumbers) {
    Package p({"b film.3GP", "c.m4b", "d.mp3", "e.mov", "talk.png", "f.aac"}, {"cover.png", "talk.png"},
              {"d.mp3", "bfilm.3gp", "c.m4b", "e.mov", "f.aac"});
    EXPECT_EQ(p.manifest(), item("image1", "images/talk.png", "image/png") + item("media1", "media/c.m4b", "audio/mp4") +
                                item("media2", "media/d.mp3", "audio/mpeg") + item("media3", "media/e.mov", "video/quicktime") +
                                item("media4", "media/f.aac", "audio/aac"));
    // "b film.3GP" becomes "bfilm.3GP", which the lowercased entry does not match.
    EXPECT_EQ(p.missing(), (Names{"cover.png", "bfilm.3gp"}));
}
