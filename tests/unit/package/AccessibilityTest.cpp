#include <gtest/gtest.h>

#include "base/Text.h"
#include "epub/Accessibility.h"

using namespace quillary;
using namespace quillary::epub;

namespace {

// The properties as "name=value", in the order the package states them.
std::string claims(const BookContent& content) {
    std::string out;
    for (const auto& [name, value] : accessibilityProperties(content)) out += name + "=" + value + " ";
    return out;
}

}  // namespace

TEST(Accessibility, ABookClaimsOnlyWhatItsContentAllows) {
    const std::string text = "accessMode=textual ";
    const std::string navigation = "accessibilityFeature=tableOfContents accessibilityFeature=readingOrder ";
    const struct {
        const char* what;
        BookContent content;
        std::string expected;
        std::vector<std::string> summary;
    } cases[] = {
        {"text alone, no headings", {}, text + "accessModeSufficient=textual " + navigation + "accessibilityHazard=none ",
         {"A11ySummaryText"}},
        {"described images and headings", {.images = 2, .namedHeadings = true},
         text + "accessMode=visual accessModeSufficient=textual " + navigation +
             "accessibilityFeature=structuralNavigation accessibilityFeature=alternativeText accessibilityHazard=none ",
         {"A11ySummaryText", "A11ySummaryHeadings", "A11ySummaryImagesDescribed"}},
        {"one image of two known only by its name", {.images = 2, .imagesWithoutAlternative = 1},
         text + "accessMode=visual accessModeSufficient=textual,visual " + navigation + "accessibilityHazard=none ",
         {"A11ySummaryText", "A11ySummaryImagesUndescribed"}},
        {"audio", {.audio = true},
         text + "accessMode=auditory accessModeSufficient=textual,auditory " + navigation +
             "accessibilityHazard=noFlashingHazard accessibilityHazard=noMotionSimulationHazard "
             "accessibilityHazard=unknownSoundHazard ",
         {"A11ySummaryText", "A11ySummaryAudio"}},
        {"video", {.video = true},
         text + "accessMode=visual accessMode=auditory accessModeSufficient=textual,visual,auditory " + navigation +
             "accessibilityHazard=unknownFlashingHazard accessibilityHazard=unknownMotionSimulationHazard "
             "accessibilityHazard=unknownSoundHazard ",
         {"A11ySummaryText", "A11ySummaryVideo"}},
        {"a described GIF, which may move", {.images = 1, .animatable = true},
         text + "accessMode=visual accessModeSufficient=textual " + navigation +
             "accessibilityFeature=alternativeText accessibilityHazard=unknownFlashingHazard "
             "accessibilityHazard=unknownMotionSimulationHazard accessibilityHazard=noSoundHazard ",
         {"A11ySummaryText", "A11ySummaryImagesDescribed", "A11ySummaryAnimation"}},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(claims(test.content), test.expected) << test.what;
        EXPECT_EQ(accessibilitySummaryKeys(test.content), test.summary) << test.what;
    }
}

TEST(Accessibility, MetadataLinesEscapeTheSummaryAndMarkAForeignOne) {
    const std::string lines = accessibilityMetadata({}, "Text & \xC3\xBC", "en");
    EXPECT_TRUE(text::startsWith(lines, "    <meta property=\"schema:accessMode\">textual</meta>\n")) << lines;
    EXPECT_TRUE(text::endsWith(
        lines, "    <meta property=\"schema:accessibilitySummary\" xml:lang=\"en\">Text &amp; &#252;</meta>\n"))
        << lines;
    EXPECT_FALSE(text::contains(accessibilityMetadata({}, "", ""), "Summary"));
}
