#include <gtest/gtest.h>

#include "epub/MediaMarkup.h"

using namespace quillary;
using namespace quillary::epub::media;

namespace {
std::string image(const std::string& paragraph) { return imageMarkup("<p class=\"p1\">" + paragraph + "</p>").markup; }
const std::string kCentred = "<div style=\"text-align:center\">";
}  // namespace

TEST(ImageDirective, PlacementLinkAltTextAndName) {
    EXPECT_EQ(image("rimage:boat.png"), "<div><img style=\"float:right\" src=\"images/boat.png\" alt=\"boat\"/></div>");
    EXPECT_EQ(image("LIMAGE:boat.jpg"), "<div><img style=\"float:left\" src=\"images/boat.jpg\" alt=\"boat\"/></div>");
    EXPECT_EQ(image("fimage:b.png"), kCentred + "<img style=\"height:100%\" src=\"images/b.png\" alt=\"b\"/></div>");
    EXPECT_EQ(image("image:<a href=\"section3.xhtml\">Sea View.jpg</a>"),
              kCentred + "<a href=\"section3.xhtml\"><img src=\"images/SeaView.jpg\" alt=\"SeaView\"/></a></div>");
    // Text ahead of the directive in the same paragraph is not kept.
    EXPECT_EQ(image("<span class=\"s1\">Look </span>image:cat.png"), kCentred + "<img src=\"images/cat.png\" alt=\"cat\"/></div>");
    // References are percent-encoded, alt texts written as page text.
    EXPECT_EQ(image("image:say\"hi.png"), kCentred + "<img src=\"images/say%22hi.png\" alt=\"say&quot;hi\"/></div>");
    EXPECT_EQ(image("image:50% #1?.gif"), kCentred + "<img src=\"images/50%25%231%3F.gif\" alt=\"50%#1?\"/></div>");
    EXPECT_EQ(image("image:&#220;ber &amp; mehr.png"),
              kCentred + "<img src=\"images/%C3%9Cber%26mehr.png\" alt=\"&#220;ber&amp;mehr\"/></div>");
    // The name as the folder knows it: real characters, the image extension as typed.
    const std::pair<const char*, const char*> cases[] = {
        {"Image:Photo One.JPG", "PhotoOne.JPG"}, {"image:a.jpeg", "a.jpeg"}, {"image:a", "a.png"},
        {"image:a.jpg  at sea", "a.jpg"},        {"image:\tSea View .jpg\t", "SeaView.jpg"},
        {"image:plan.Svg", "plan.Svg"},          {"image:a.doc", "a.png"},
        {"image:&#220;mlaut.png", "\xC3\x9Cmlaut.png"}};
    for (const auto& [paragraph, name] : cases)
        EXPECT_EQ(imageMarkup(std::string("<p>") + paragraph + "</p>").imageName, name) << paragraph;
}

TEST(MediaDirective, TheExtensionDecidesThePlayerItsTypeAndWhetherVideoNeedsAPoster) {
    const auto talk = mediaMarkup("<p class=\"p1\">audio:talk.m4a</p>", true);
    EXPECT_EQ(talk.markup, kCentred + "<audio controls=\"controls\" preload=\"auto\"  src=\"media/talk.m4a\">talk</audio></div>");
    EXPECT_FALSE(talk.poster);
    const auto film = mediaMarkup("<p class=\"p1\">audio:talk.mov</p>", true);
    EXPECT_EQ(film.markup, kCentred + "<video controls=\"controls\" preload=\"auto\" poster=\"images/talk.png\" "
                                      "src=\"media/talk.mov\">talk</video></div>");
    EXPECT_EQ(film.poster, "talk.png");
    EXPECT_EQ(mediaMarkup("<p>Video: My Film.MP4</p>", true).mediaName, "MyFilm.mp4");
    // The name runs to the next colon; colons ahead of the directive word do not count.
    EXPECT_EQ(mediaMarkup("<p>video:film.mp4: the harbour</p>", true).mediaName, "film.mp4");
    EXPECT_EQ(mediaMarkup("<p style=\"text-align:center\">video:film.mp4</p>", true).mediaName, "film.mp4");
    EXPECT_EQ(mediaMarkup("<p>video:a.mp4<i>audio:b.mp3</i></p>", true).mediaName, "a.mp4audio");
    // EPUB 2 plays through an object with a registered type.
    EXPECT_EQ(mediaMarkup("<p>audio:talk.mp3</p>", false).markup,
              kCentred + "<object data=\"media/talk.mp3\" type=\"audio/mpeg\">talk</object></div>");
    EXPECT_EQ(mediaMarkup("<p>video:talk.mov</p>", false).markup,
              kCentred + "<object data=\"media/talk.mov\" type=\"video/quicktime\"><img src=\"images/talk.png\" "
                         "alt=\"talk\"/></object></div>");
    const std::pair<const char*, const char*> types[] = {{"aac", "audio/aac"}, {"m4a", "audio/mp4"}, {"m4b", "audio/mp4"},
                                                         {"m4v", "video/mp4"}, {"mp4", "video/mp4"}, {"3gp", "video/3gpp"}};
    for (const auto& [extension, type] : types) EXPECT_EQ(mediaType(extension), type) << extension;
}
