#include <gtest/gtest.h>

#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;
using quillary::testing::Harness;
using Names = std::vector<std::string>;

namespace {

// A manuscript folder with the given files (their content is their own name,
// so a copy can be told from another file) and an empty package tree.
struct Package {
    Harness h;
    std::string imagesFolder;
    std::string mediaFolder;

    explicit Package(const Names& files) {
        h.c().root = h.folder.makeFolder("manuscript");
        for (const auto& name : files) h.folder.write("manuscript/" + name, name);
        imagesFolder = h.folder.makeFolder("epub/OEBPS/images") + "/";
        mediaFolder = h.folder.makeFolder("epub/OEBPS/media") + "/";
    }
    void insert(const Names& images, const Names& media = {}) {
        h.c().insertImages(images, imagesFolder, media, mediaFolder);
    }
    Names images() const { return files::listFolder(imagesFolder); }
    Names media() const { return files::listFolder(mediaFolder); }
    std::string imageContent(const std::string& name) const {
        return files::readFile(imagesFolder + name).value_or("<none>");
    }
};

}  // namespace

TEST(InsertImages, UsedImagesAreCopiedUnderBlankFreeNamesInNameOrder) {
    Package p({"cover.png", "boat.png", "Photo One.png", "unused.jpg", "Photo.JPG", "sea.jpg"});
    p.insert({"cover.png", "boat.png", "PhotoOne.png", "sea.jpg", "Photo.png"});
    EXPECT_EQ(p.images(), (Names{"PhotoOne.png", "boat.png", "cover.png", "sea.jpg"}));
    EXPECT_EQ(p.imageContent("PhotoOne.png"), "Photo One.png");
    EXPECT_EQ(p.h.c().manifest,
              "    <item id=\"image1\" href=\"images/PhotoOne.png\" media-type=\"image/png\"/>\n"
              "    <item id=\"image2\" href=\"images/boat.png\" media-type=\"image/png\"/>\n"
              "    <item id=\"image3\" href=\"images/sea.jpg\" media-type=\"image/jpeg\"/>\n");
    // A capitalised extension is not an image: the PNG the directive asked for is missing.
    EXPECT_EQ(p.h.c().missingFiles, (Names{"Photo.png"}));
    EXPECT_FALSE(p.h.c().invalidMediaFilenames);
}

TEST(InsertImages, EveryCoverFileIsCopiedLowercasedWithoutAnItem) {
    Package p({"COVER.jpg", "Cover.PNG", "cover.png"});
    p.insert({"cover.jpg"});
    EXPECT_EQ(p.images(), (Names{"cover.jpg", "cover.png"}));
    EXPECT_EQ(p.imageContent("cover.jpg"), "COVER.jpg");
    EXPECT_EQ(p.imageContent("cover.png"), "cover.png");
    EXPECT_EQ(p.h.c().manifest, "");
    EXPECT_TRUE(p.h.c().missingFiles.empty());
}

TEST(InsertImages, WithoutDirectivesOnlyTheCoverArrives) {
    Package p({"cover.png", "holiday.png", "song.mp3"});
    p.insert({"cover.png"});
    EXPECT_EQ(p.images(), (Names{"cover.png"}));
    EXPECT_TRUE(p.media().empty());
    EXPECT_EQ(p.h.c().manifest, "");
    EXPECT_TRUE(p.h.c().missingFiles.empty());
}

TEST(InsertImages, AnImageUsedThreeTimesIsCopiedOnceAndMissedThreeTimes) {
    Package present({"cover.png", "boat.png"});
    present.insert({"cover.png", "boat.png", "boat.png", "boat.png"});
    EXPECT_EQ(present.images(), (Names{"boat.png", "cover.png"}));
    EXPECT_EQ(present.h.c().manifest,
              "    <item id=\"image1\" href=\"images/boat.png\" media-type=\"image/png\"/>\n");

    Package absent({"cover.png"});
    absent.insert({"cover.png", "boat.png", "boat.png", "boat.png"});
    EXPECT_EQ(absent.h.c().missingFiles, (Names{"boat.png", "boat.png", "boat.png"}));
}

TEST(InsertImages, AForbiddenCharacterAnywhereSetsTheFlagButTheCoverIsExempt) {
    Package cover({"cover.png", "cover.&.png"});
    cover.insert({"cover.png"});
    EXPECT_FALSE(cover.h.c().invalidMediaFilenames);

    Package unusedImage({"a&b.png"});
    unusedImage.insert({"cover.png"});
    EXPECT_TRUE(unusedImage.h.c().invalidMediaFilenames);

    Package unusedMedia({"why?.mp3"});
    unusedMedia.insert({"cover.png"});
    EXPECT_TRUE(unusedMedia.h.c().invalidMediaFilenames);
}

TEST(InsertImages, AUsedNameWithAnAmpersandStaysReadableXml) {
    Package p({"a&b.png"});
    p.insert({"a&b.png"});
    EXPECT_EQ(p.images(), (Names{"a&b.png"}));
    EXPECT_EQ(p.h.c().manifest, "    <item id=\"image1\" href=\"images/a&amp;b.png\" media-type=\"image/png\"/>\n");
}

TEST(InsertImages, MediaGetRegisteredTypesAndTheirOwnNumbers) {
    Package p({"cover.png", "b film.3GP", "c.m4b", "d.mp3", "e.mov", "talk.png", "f.aac"});
    p.insert({"cover.png", "talk.png"}, {"d.mp3", "bfilm.3gp", "c.m4b", "e.mov", "f.aac"});
    EXPECT_EQ(p.h.c().manifest,
              "    <item id=\"image1\" href=\"images/talk.png\" media-type=\"image/png\"/>\n"
              "    <item id=\"media1\" href=\"media/c.m4b\" media-type=\"audio/mp4\"/>\n"
              "    <item id=\"media2\" href=\"media/d.mp3\" media-type=\"audio/mpeg\"/>\n"
              "    <item id=\"media3\" href=\"media/e.mov\" media-type=\"video/quicktime\"/>\n"
              "    <item id=\"media4\" href=\"media/f.aac\" media-type=\"audio/aac\"/>\n");
    // "b film.3GP" reduces to "bfilm.3GP", which the lowercased entry does not match.
    EXPECT_EQ(p.media(), (Names{"c.m4b", "d.mp3", "e.mov", "f.aac"}));
    EXPECT_EQ(p.h.c().missingFiles, (Names{"bfilm.3gp"}));
}

TEST(InsertImages, AVideoWithoutItsPosterIsCopiedAndThePosterReported) {
    Package p({"cover.png", "talk.mov"});
    p.insert({"cover.png", "talk.png"}, {"talk.mov"});
    EXPECT_EQ(p.media(), (Names{"talk.mov"}));
    EXPECT_EQ(p.h.c().missingFiles, (Names{"talk.png"}));
}

TEST(InsertImages, WithoutACoverTheCoverEntryIsReportedAfterTheOthersInListOrder) {
    Package p({});
    p.insert({"cover.png", "b.png", "a.png"}, {"z.mp3", "y.mp4"});
    EXPECT_EQ(p.h.c().missingFiles, (Names{"cover.png", "b.png", "a.png", "z.mp3", "y.mp4"}));
    EXPECT_EQ(p.h.c().manifest, "");
}

TEST(InsertImages, ImagesAreLookedForOnlyInTheTopLevelOfTheManuscriptFolder) {
    Package p({"art/boat.png"});
    p.insert({"cover.png", "boat.png"});
    EXPECT_TRUE(p.images().empty());
    EXPECT_EQ(p.h.c().missingFiles, (Names{"cover.png", "boat.png"}));
}
