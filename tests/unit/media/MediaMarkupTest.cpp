#include <gtest/gtest.h>

#include "epub/MediaMarkup.h"
#include "support/Harness.h"

using namespace quillary;
using namespace quillary::media;

TEST(MediaLines, RecognisedOnlyWhereTheDirectiveOpensARunInAnyCase) {
    EXPECT_TRUE(isMediaLine("<p class=\"p1\">VIDEO:film.mp4</p>"));
    EXPECT_TRUE(isMediaLine("<p class=\"p1\">Audio:talk.m4a</p>"));
    EXPECT_FALSE(isMediaLine("<p class=\"p1\">see video:film.mp4</p>"));
    EXPECT_TRUE(isImageLine("<p class=\"p1\">RImage:boat.png</p>"));
    EXPECT_TRUE(isImageLine("<p><span class=\"s1\">x</span>fimage:a.png</p>"));
    EXPECT_FALSE(isImageLine("<p class=\"p1\">an image:a.png</p>"));
}

TEST(ImageMarkup, EachPlacementGivesItsOwnOpeningAndTheBaseAsAlt) {
    const auto right = imageMarkup("<p class=\"p1\">rimage:boat.png</p>");
    EXPECT_EQ(right.markup, "<div><img style=\"float:right\" src=\"images/boat.png\" alt=\"boat\"/></div>");
    EXPECT_EQ(right.imageName, "boat.png");
    EXPECT_EQ(imageMarkup("<p class=\"p1\">LIMAGE:boat.jpg</p>").markup,
              "<div><img style=\"float:left\" src=\"images/boat.jpg\" alt=\"boat\"/></div>");
    EXPECT_EQ(imageMarkup("<p class=\"p1\">fimage:boat.png</p>").markup,
              "<div style=\"text-align:center\"><img style=\"height:100%\" src=\"images/boat.png\" "
              "alt=\"boat\"/></div>");
    EXPECT_EQ(imageMarkup("<p class=\"p1\">image:boat.png</p>").markup,
              "<div style=\"text-align:center\"><img src=\"images/boat.png\" alt=\"boat\"/></div>");
}

TEST(ImageMarkup, OnlyALowercaseJpgExtensionStaysJpg) {
    const auto capitals = imageMarkup("<p class=\"p1\">Image:Photo One.JPG</p>");
    EXPECT_EQ(capitals.imageName, "PhotoOne.png");
    EXPECT_EQ(capitals.markup,
              "<div style=\"text-align:center\"><img src=\"images/PhotoOne.png\" alt=\"PhotoOne\"/></div>");
    EXPECT_EQ(imageMarkup("<p>image:a.jpeg</p>").imageName, "a.png");
    EXPECT_EQ(imageMarkup("<p>image:a.gif</p>").imageName, "a.png");
    EXPECT_EQ(imageMarkup("<p>image:a</p>").imageName, "a.png");
    // Words after the name land in its extension; a leading "jpg" still counts.
    EXPECT_EQ(imageMarkup("<p>image:a.jpg  at sea</p>").imageName, "a.jpg");
    EXPECT_EQ(imageMarkup("<p>image:\tSea View .jpg\t</p>").imageName, "SeaView.jpg");
}

TEST(ImageMarkup, AHyperlinkOnTheNameWrapsTheImage) {
    const auto linked = imageMarkup("<p class=\"p1\">image:<a href=\"section3.xhtml\">Sea View.jpg</a></p>");
    EXPECT_EQ(linked.markup,
              "<div style=\"text-align:center\"><a href=\"section3.xhtml\"><img src=\"images/SeaView.jpg\" "
              "alt=\"SeaView\"/></a></div>");
    EXPECT_EQ(linked.imageName, "SeaView.jpg");
    const auto floated = imageMarkup("<p>rimage:<A HREF=\"http://example.com/x\" title=\"t\">boat.png</A></p>");
    EXPECT_EQ(floated.markup,
              "<div><A HREF=\"http://example.com/x\" title=\"t\"><img style=\"float:right\" "
              "src=\"images/boat.png\" alt=\"boat\"/></a></div>");
}

TEST(ImageMarkup, TextBeforeTheDirectiveIsNotKept) {
    const auto image = imageMarkup("<p class=\"p1\"><span class=\"s1\">Look here </span>image:cat.png</p>");
    EXPECT_EQ(image.markup, "<div style=\"text-align:center\"><img src=\"images/cat.png\" alt=\"cat\"/></div>");
}

TEST(ImageMarkup, AQuoteInANameCannotEndTheAttribute) {
    const auto image = imageMarkup("<p>image:say\"hi.png</p>");
    EXPECT_EQ(image.imageName, "say\"hi.png");
    EXPECT_EQ(image.markup,
              "<div style=\"text-align:center\"><img src=\"images/say&quot;hi.png\" alt=\"say&quot;hi\"/></div>");
}

TEST(MediaMarkup, AudioByExtensionHasNoPoster) {
    const auto talk = mediaMarkup("<p class=\"p1\">audio:talk.m4a</p>", true);
    EXPECT_EQ(talk.markup,
              "<div style=\"text-align:center\"><audio controls=\"controls\" preload=\"auto\"  "
              "src=\"media/talk.m4a\">talk</audio></div>");
    EXPECT_EQ(talk.mediaName, "talk.m4a");
    EXPECT_FALSE(talk.poster.has_value());
    // The directive word does not matter: the extension decides.
    EXPECT_EQ(mediaMarkup("<p>video:song.MP3</p>", true).markup,
              "<div style=\"text-align:center\"><audio controls=\"controls\" preload=\"auto\"  "
              "src=\"media/song.mp3\">song</audio></div>");
}

TEST(MediaMarkup, VideoNeedsAPosterOfTheSameBase) {
    const auto talk = mediaMarkup("<p class=\"p1\">audio:talk.mov</p>", true);
    EXPECT_EQ(talk.markup,
              "<div style=\"text-align:center\"><video controls=\"controls\" preload=\"auto\" "
              "poster=\"images/talk.png\" src=\"media/talk.mov\">talk</video></div>");
    EXPECT_EQ(talk.mediaName, "talk.mov");
    EXPECT_EQ(talk.poster, "talk.png");
    const auto film = mediaMarkup("<p>Video: My Film.MP4</p>", true);
    EXPECT_EQ(film.mediaName, "MyFilm.mp4");
    EXPECT_EQ(film.poster, "MyFilm.png");
}

TEST(MediaMarkup, Epub2PlaysThroughAnObjectWithARegisteredType) {
    EXPECT_EQ(mediaMarkup("<p class=\"p1\">audio:talk.mp3</p>", false).markup,
              "<div style=\"text-align:center\"><object data=\"media/talk.mp3\" type=\"audio/mpeg\">talk"
              "</object></div>");
    EXPECT_EQ(mediaMarkup("<p class=\"p1\">video:talk.mov</p>", false).markup,
              "<div style=\"text-align:center\"><object data=\"media/talk.mov\" type=\"video/quicktime\">"
              "<img src=\"images/talk.png\" alt=\"talk\"/></object></div>");
}

TEST(MediaMarkup, TheNameEndsAtTheNextColonAndIgnoresColonsBeforeTheDirective) {
    EXPECT_EQ(mediaMarkup("<p>video:film.mp4: the harbour</p>", true).mediaName, "film.mp4");
    EXPECT_EQ(mediaMarkup("<p style=\"text-align:center\">video:film.mp4</p>", true).mediaName, "film.mp4");
    EXPECT_EQ(mediaMarkup("<p><a href=\"http://example.com\">audio:talk.aac</a></p>", true).mediaName,
              "talk.aac");
}

TEST(MediaFiles, KindsTypesAndForbiddenCharacters) {
    EXPECT_EQ(mediaKind("m4b"), "audio");
    EXPECT_EQ(mediaKind("3gp"), "video");
    EXPECT_EQ(mediaKind(""), "video");
    EXPECT_TRUE(isMediaExtension("MOV"));
    EXPECT_FALSE(isMediaExtension("png"));
    EXPECT_FALSE(isMediaExtension("ogg"));
    const std::pair<const char*, const char*> types[] = {
        {"mp3", "audio/mpeg"},  {"aac", "audio/aac"},       {"m4a", "audio/mp4"}, {"m4b", "audio/mp4"},
        {"mov", "video/quicktime"}, {"m4v", "video/mp4"}, {"mp4", "video/mp4"}, {"3gp", "video/3gpp"}};
    for (const auto& [extension, type] : types) EXPECT_EQ(mediaType(extension), type) << extension;
    EXPECT_EQ(blankFreeName(" My  Photo\t.png"), "MyPhoto\t.png");
    for (const char* bad : {"a&b.png", "a<b", "a>b", "why?.mp3"}) EXPECT_TRUE(hasForbiddenCharacter(bad)) << bad;
    EXPECT_FALSE(hasForbiddenCharacter("a-b_c (1).png"));
}

TEST(MediaDirectives, RewriteTheLineAndFillTheListsInManuscriptOrder) {
    quillary::testing::Harness h;
    h.preferences.setBool(prefs::kEpub3, true);
    EpubRun run;
    run.images = {"cover.png"};
    h.c().line = "<p class=\"p1\">video:Harbour.m4v</p>";
    h.c().mediaDirective(run);
    EXPECT_EQ(h.c().line,
              "<div style=\"text-align:center\"><video controls=\"controls\" preload=\"auto\" "
              "poster=\"images/Harbour.png\" src=\"media/Harbour.m4v\">Harbour</video></div>");
    h.c().line = "<p class=\"p1\">rimage:boat.png</p>";
    h.c().imageDirective(run);
    EXPECT_EQ(h.c().line, "<div><img style=\"float:right\" src=\"images/boat.png\" alt=\"boat\"/></div>");
    h.c().line = "<p class=\"p1\">audio:sea.mp3</p>";
    h.c().mediaDirective(run);
    EXPECT_EQ(run.images, (std::vector<std::string>{"cover.png", "Harbour.png", "boat.png"}));
    EXPECT_EQ(run.media, (std::vector<std::string>{"Harbour.m4v", "sea.mp3"}));
}
