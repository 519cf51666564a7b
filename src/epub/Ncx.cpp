#include "epub/Ncx.h"

#include <algorithm>

#include "base/Text.h"

namespace quillary::epub {

namespace {

std::string ncxNavPoint(const NavPoint& point, std::string_view indent, std::string_view children) {
    const std::string n = std::to_string(point.number);
    std::string made;
    made.append(indent).append("    <navPoint id=\"navpoint-" + n + "\" playOrder=\"" + n + "\">\n");
    made.append(indent).append("      <navLabel>\n");
    made.append(indent).append("        <text>" + point.label + "</text>\n");
    made.append(indent).append("      </navLabel>\n");
    made.append(indent).append("      <content src=\"" + point.source + "\"/>\n");
    made.append(children);
    made.append(indent).append("    </navPoint>\n");
    return made;
}

}  // namespace

std::string ncxTemplate(std::string_view ncx, const BookFacts& facts) {
    return fillPlaceholders(ncx, {{"$book_name", facts.title},
                                  {"$cover_name", facts.coverName},
                                  {"$isbn", facts.isbn},
                                  {"$lang", facts.language}});
}

std::string finishedNcx(std::string_view ncx, const std::string& navmap) {
    return fillPlaceholders(ncx, {{"$navmap\n", navmap}});
}

// A nested point goes inside the point before it that is not nested.
std::string navMap(const PackageModel& model) {
    std::string navmap;
    const std::vector<NavPoint>& points = model.navPoints;
    for (std::size_t index = 0; index < points.size();) {
        std::string children;
        std::size_t next = index + 1;
        for (; next < points.size() && points[next].nested; ++next) children += ncxNavPoint(points[next], "  ", "");
        navmap += ncxNavPoint(points[index], "", children);
        index = next;
    }
    return navmap;
}

std::string ncxDocument(const PackageModel& model, const Templates& templates) {
    std::string ncx = finishedNcx(ncxTemplate(templates.ncx, model.facts), navMap(model));
    const bool nests =
        std::any_of(model.navPoints.begin(), model.navPoints.end(), [](const NavPoint& point) { return point.nested; });
    if (nests)
        text::replaceAll(ncx, "<meta name=\"dtb:depth\" content=\"1\"/>", "<meta name=\"dtb:depth\" content=\"2\"/>");
    return ncx;
}

}  // namespace quillary::epub
