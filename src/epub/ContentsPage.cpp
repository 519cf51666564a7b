#include "epub/ContentsPage.h"

#include "base/Text.h"
#include "epub/Pages.h"

namespace quillary::epub {

namespace {

const std::string kNavOpen = "<nav xmlns:epub=\"http://www.idpf.org/2007/ops\"";

// The cover, where reading starts and the contents page itself, as EPUB 3
// reading systems look for them.
std::string landmarks(const PackageModel& model) {
    std::string list = kNavOpen +
                       " epub:type=\"landmarks\" id=\"guide\">\n<ol>\n"
                       "<li><a epub:type=\"cover\" href=\"cover.xhtml\">Cover</a></li>\n";
    list += startLandmark(model);
    if (model.contentsPlaced)
        list += text::format("<li><a epub:type=\"toc\" href=\"toc.xhtml\">%@</a></li>\n", {model.contentsTitle});
    return list + "</ol>\n</nav>\n";
}

std::string epub3Contents(const PackageModel& model, const std::string& list) {
    std::string page =
        text::format("<p epub:type=\"frontmatter toc\">\n<b>%@</b>\n<br /><br />\n</p>\n", {model.contentsTitle});
    const std::string marks = landmarks(model);
    page.reserve(page.size() + list.size() + marks.size() + 200);
    page += kNavOpen;
    page += " epub:type=\"toc\" id=\"toc\">\n<ol>\n";
    page += list;
    page += "\n</ol>\n</nav>\n";
    page += marks;
    return page;
}

std::string epub2Contents(const PackageModel& model, const std::string& list) {
    return text::format("<p class=\"tc\"><span class=\"sz\"><b>%@</b><br /><br /></span></p>\n%@",
                        {model.contentsTitle, list});
}

}  // namespace

std::string contentsList(const PackageModel& model) {
    std::string list;
    const std::vector<ContentsEntry>& entries = model.contents;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const ContentsEntry& entry = entries[index];
        const std::string link = "<a href=\"" + entry.href + "\">" + entry.label + "</a>";
        if (!model.epub3) {
            // Its paragraphs cannot nest: a heading inside a chapter is
            // reached through the chapter's entry.
            if (!entry.nested) list += "<p class=\"tcd\"><span class=\"sz\">" + link + "<br /></span></p>\n";
            continue;
        }
        const std::string id = entry.number > 0 ? " id=\"navpoint-" + std::to_string(entry.number) + "\"" : "";
        list += "<li" + id + ">" + link;
        const bool opensList = !entry.nested && index + 1 < entries.size() && entries[index + 1].nested;
        const bool closesList = entry.nested && (index + 1 == entries.size() || !entries[index + 1].nested);
        if (opensList) list += "\n<ol>\n";
        else list += "</li>\n";
        if (closesList && index > 0) list += "</ol>\n</li>\n";
    }
    return list;
}

std::string startLandmark(const PackageModel& model) {
    if (!model.start) return "";
    return "<li><a epub:type=\"bodymatter\" href=\"" + sectionFileName(model.start->section) + "\">" +
           model.start->name + "</a></li>\n";
}

std::string contentsDocument(const PackageModel& model) {
    const std::string list = contentsList(model);
    const std::string page = model.epub3 ? epub3Contents(model, list) : epub2Contents(model, list);
    const std::string& language = model.facts.language;
    return withDirection(withLanguage(pageWith(model.sectionTemplate, page), language, model.epub3), language);
}

}  // namespace quillary::epub
