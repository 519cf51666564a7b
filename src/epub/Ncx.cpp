#include "epub/Ncx.h"

namespace quillary::epub {

namespace {

std::string ncxNavPoint(int number, std::string_view label, std::string_view source) {
    const std::string n = std::to_string(number);
    return "    <navPoint id=\"navpoint-" + n + "\" playOrder=\"" + n + "\">\n      <navLabel>\n        <text>" +
           std::string(label) + "</text>\n      </navLabel>\n      <content src=\"" + std::string(source) +
           "\"/>\n    </navPoint>\n";
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

std::string navMap(const PackageModel& model) {
    std::string navmap;
    for (const NavPoint& point : model.navPoints) navmap += ncxNavPoint(point.number, point.label, point.source);
    return navmap;
}

std::string ncxDocument(const PackageModel& model, const Templates& templates) {
    return finishedNcx(ncxTemplate(templates.ncx, model.facts), navMap(model));
}

}  // namespace quillary::epub
