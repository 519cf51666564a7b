#include <gtest/gtest.h>

#include "epub/PastedPictures.h"

using namespace quillary;
using namespace quillary::epub;

namespace {

// A whole 1x1 PNG, and a JPEG as far as a reader must read it (its frame
// header), in base64.
const std::string kPng =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==";
const std::string kJpeg = "/9j/4AAQSkZJRgABAQAAAQABAAD/wAALCAABAAEBAREA/9k=";

std::string picture(const std::string& type, const std::string& data, const std::string& alt) {
    return "<img src=\"data:" + type + ";base64," + data + "\" alt=\"" + alt + "\" width=\"4\" height=\"2\" />";
}

}  // namespace

TEST(PastedPictures, EachPictureIsPackedOnceByItsBytesAndNamedInThePage) {
    std::vector<PackageFile> added;
    PastedPictures pasted([&added](PackageFile file) { added.push_back(std::move(file)); });
    // The stated type is not trusted: the bytes say what the picture is.
    const PastedInLine first = pasted.place("<p>" + picture("image/png", kPng, "A map") + " and " +
                                            picture("application/octet-stream", kPng, "") + "</p>");
    const PastedInLine second = pasted.place("<p>" + picture("image/jpeg", kJpeg, " ") + "</p>");
    EXPECT_EQ(first.line,
              "<p><img class=\"pasted\" src=\"images/pasted/picture1.png\" alt=\"A map\" width=\"4\" "
              "height=\"2\" /> and <img class=\"pasted\" src=\"images/pasted/picture1.png\" alt=\"\" "
              "width=\"4\" height=\"2\" /></p>");
    EXPECT_EQ(first.kept, 2);
    EXPECT_EQ(first.withoutDescription, std::vector<std::string>{"images/pasted/picture1.png"});
    EXPECT_EQ(second.withoutDescription, std::vector<std::string>{"images/pasted/picture2.jpg"});
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].name, "OEBPS/images/pasted/picture1.png");
    EXPECT_TRUE(added[0].bytes.starts_with("\x89PNG\r\n\x1a\n"));
    ASSERT_EQ(pasted.manifest().size(), 2u);
    EXPECT_EQ(pasted.manifest()[1].mediaType, "image/jpeg");
    EXPECT_EQ(pasted.manifest()[1].id, "pasted2");
}

TEST(PastedPictures, AFormatReadersCannotShowOrBrokenDataIsLeftOutAndNamed) {
    std::vector<PackageFile> added;
    PastedPictures pasted([&added](PackageFile file) { added.push_back(std::move(file)); });
    const PastedInLine made = pasted.place(
        "<p>Fig " + picture("image/x-emf", "AQAAAGwAAAA=", "Chart") + picture("image/png", "#bad#", "") +
        picture("application/octet-stream", "AAAA", "") +
        // Cut short: a PNG's signature alone, a JPEG before its frame header.
        picture("image/png", "iVBORw0KGgo=", "") + picture("image/jpeg", "/9j/4AAQSkZJRg==", "") + " end</p>");
    EXPECT_EQ(made.line, "<p>Fig  end</p>");
    EXPECT_EQ(made.leftOut, (std::vector<std::string>{"EMF", "PNG", "unknown", "damaged PNG", "damaged JPEG"}));
    EXPECT_EQ(made.kept, 0);
    EXPECT_TRUE(added.empty());
}
