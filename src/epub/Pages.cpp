#include "epub/Pages.h"

#include "base/Text.h"

namespace quillary::epub {

std::string sectionFileName(int section) { return "section" + std::to_string(section) + ".xhtml"; }

std::string coverPage(std::string_view coverTemplate, const BookFacts& facts) {
    std::string page(coverTemplate);
    if (!facts.hasCover) {
        // The picture's line names "$cover_extension"; the title stands in its place.
        std::string titled;
        for (const std::string& line : text::split(page, "\n")) {
            titled += text::contains(line, "$cover_extension") ? "<h1 class=\"cover\">$book_name</h1>" : line;
            titled += '\n';
        }
        titled.pop_back();
        page = std::move(titled);
    }
    return fillPlaceholders(page, {{"$book_name", text::replacedAll(facts.title, "\"", "")},
                                   {"$cover_extension", facts.coverExtension},
                                   {"$lang", facts.language}});
}

std::string pageTemplate(std::string_view sectionTemplate, const BookFacts& facts, bool epub3) {
    std::string page(sectionTemplate);
    text::replaceAll(page, "$book_name", facts.title);
    return epub3 ? withLanguage(std::move(page), facts.language, true) : page;
}

std::string pageWith(std::string_view pageTemplate, std::string_view content) {
    // Made to measure: a book keeps every page in memory until it is packed.
    constexpr std::string_view placeholder = "$content\n";
    std::size_t places = 0;
    for (std::size_t at = pageTemplate.find(placeholder); at != std::string_view::npos;
         at = pageTemplate.find(placeholder, at + placeholder.size()))
        ++places;
    std::string page;
    page.reserve(pageTemplate.size() + places * content.size());
    std::size_t from = 0;
    for (std::size_t at = pageTemplate.find(placeholder); at != std::string_view::npos;
         at = pageTemplate.find(placeholder, from)) {
        page.append(pageTemplate, from, at - from).append(content);
        from = at + placeholder.size();
    }
    page.append(pageTemplate, from);
    return page;
}

std::string notesPage(std::string_view pageTemplate, const std::string& language, const std::string& title,
                      const std::string& entries, bool epub3) {
    // The book's own pages keep the direction of each paragraph; the notes
    // page, which the build writes itself, takes the book's.
    std::string content;
    content.reserve(entries.size() + title.size() + 128);
    if (epub3) content += "<section role=\"doc-endnotes\" epub:type=\"endnotes\">\n";
    content += "<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>";
    content += title;
    content += "</b><br /><br /></p>\n";
    if (epub3) {
        // The entries carry their numbers as text, as in EPUB 2.
        content += "<ol style=\"list-style-type: none; margin: 0; padding: 0;\">\n";
        content += entries;
        content += "</ol>\n</section>\n";
    } else {
        content += entries;
    }
    return pageWith(withDirection(std::string(pageTemplate), language), content);
}

std::string withLanguage(std::string page, const std::string& language, bool epub3) {
    const std::size_t root = page.find("<html");
    if (root == std::string::npos || text::contains(page, "xml:lang=")) return page;
    std::string attributes = " xml:lang=\"" + language + "\"";
    if (epub3) attributes += " lang=\"" + language + "\"";
    page.insert(root + 5, attributes);
    return page;
}

std::string withDirection(std::string page, const std::string& language) {
    const std::size_t root = page.find("<html");
    if (!isRightToLeftLanguage(language) || root == std::string::npos) return page;
    const std::size_t rootEnd = page.find('>', root);
    if (page.substr(root, rootEnd - root).find(" dir=") != std::string::npos) return page;
    page.insert(root + 5, " dir=\"rtl\"");
    return page;
}

}  // namespace quillary::epub
