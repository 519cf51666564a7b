#include "epub/Accessibility.h"

#include "manuscript/Normalise.h"

namespace quillary::epub {

namespace {

bool everyImageDescribed(const BookContent& content) { return content.imagesWithoutAlternative == 0; }

// Audio and video come with no transcript or captions, so what they say
// reaches only those who hear or see them.
std::string sufficientModes(const BookContent& content) {
    std::string modes = "textual";
    if ((content.images > 0 && !everyImageDescribed(content)) || content.video) modes += ",visual";
    if (content.audio || content.video) modes += ",auditory";
    return modes;
}

// Nothing is known of what a film or an animated picture shows or what a
// recording sounds like: only where there is none can a hazard be ruled out.
void addHazards(const BookContent& content, std::vector<AccessibilityProperty>& properties) {
    const bool moving = content.video || content.animatable;
    const bool sounding = content.audio || content.video;
    if (!moving && !sounding) {
        properties.push_back({"accessibilityHazard", "none"});
        return;
    }
    const std::string visual = moving ? "unknown" : "no";
    properties.push_back({"accessibilityHazard", visual + "FlashingHazard"});
    properties.push_back({"accessibilityHazard", visual + "MotionSimulationHazard"});
    properties.push_back({"accessibilityHazard", sounding ? "unknownSoundHazard" : "noSoundHazard"});
}

}  // namespace

std::vector<AccessibilityProperty> accessibilityProperties(const BookContent& content) {
    std::vector<AccessibilityProperty> properties{{"accessMode", "textual"}};
    if (content.images > 0 || content.video) properties.push_back({"accessMode", "visual"});
    if (content.audio || content.video) properties.push_back({"accessMode", "auditory"});
    properties.push_back({"accessModeSufficient", sufficientModes(content)});

    // Every EPUB 3 book has its navigation document and one reading order.
    properties.push_back({"accessibilityFeature", "tableOfContents"});
    properties.push_back({"accessibilityFeature", "readingOrder"});
    if (content.namedHeadings) properties.push_back({"accessibilityFeature", "structuralNavigation"});
    if (content.images > 0 && everyImageDescribed(content))
        properties.push_back({"accessibilityFeature", "alternativeText"});
    addHazards(content, properties);
    return properties;
}

std::vector<std::string> accessibilitySummaryKeys(const BookContent& content) {
    std::vector<std::string> keys{"A11ySummaryText"};
    if (content.namedHeadings) keys.push_back("A11ySummaryHeadings");
    if (content.images > 0)
        keys.push_back(everyImageDescribed(content) ? "A11ySummaryImagesDescribed" : "A11ySummaryImagesUndescribed");
    if (content.audio) keys.push_back("A11ySummaryAudio");
    if (content.video) keys.push_back("A11ySummaryVideo");
    if (content.animatable) keys.push_back("A11ySummaryAnimation");
    return keys;
}

std::string accessibilityMetadata(const BookContent& content, const std::string& summary,
                                  const std::string& summaryLanguage) {
    std::string lines;
    for (const auto& [name, value] : accessibilityProperties(content))
        lines += "    <meta property=\"schema:" + name + "\">" + value + "</meta>\n";
    if (summary.empty()) return lines;
    const std::string language = summaryLanguage.empty() ? "" : " xml:lang=\"" + summaryLanguage + "\"";
    lines += "    <meta property=\"schema:accessibilitySummary\"" + language + ">" + manuscript::asPageText(summary) + "</meta>\n";
    return lines;
}

}  // namespace quillary::epub
