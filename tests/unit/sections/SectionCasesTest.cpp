// The marks and sections passes run over the cases written as data in
// tests/fixtures/sections/cases.txt (its head says how they are written).

#include <gtest/gtest.h>

#include "BookUnderTest.h"

namespace quillary::testing {
namespace {

// What a case asks beyond the sections, contents, marks and missing names.
struct Further {
    std::vector<std::string> flags;  // rtl-seen, duplicate-marks, ...
    std::map<std::string, std::string> values;  // spine, guide, nav-point, ...
};

std::string pageName(const std::string& page) {
    const bool number = !page.empty() && page.find_first_not_of("0123456789") == std::string::npos;
    return (number ? "section" + page : page) + ".xhtml";
}

void addLine(BookCase& test, Further& further, const std::string& key, const std::string& value) {
    if (key == "body") test.body = text::replacedAll(value, "\\n", "\n");
    else if (key == "section") test.sections.push_back(value);
    else if (key == "missing") test.missing.push_back(value);
    else if (key == "mark") {
        const std::size_t arrow = value.rfind(" -> ");
        test.marks[value.substr(0, arrow)] = value.substr(arrow + 4);
    } else if (key == "contents") {
        std::string& list = test.contents ? *test.contents : test.contents.emplace();
        if (value.empty()) return;
        const std::vector<std::string> parts = text::split(value, " ");
        const std::size_t nameAt = parts[0].size() + parts[1].size() + 2;
        list += "<li id=\"navpoint-" + parts[0] + "\"><a href=\"" + pageName(parts[1]) + "\">" +
                value.substr(nameAt) + "</a></li>\n";
    } else if (value.empty()) further.flags.push_back(key);
    else further.values[key] += key == "guide" ? value + "\n" : value;
}

std::string spineOf(const std::string& items) {
    std::string spine;
    for (const std::string& item : text::split(items, " "))
        spine += "    <itemref idref=\"" + (item == "toc" ? item : "section" + item) + "\"/>\n";
    return spine;
}

std::string firstPage(const BookUnderTest& book) {
    return files::readFile(book.h.folder.file("epub/OEBPS/section1.xhtml")).value_or("");
}

void checkFurther(BookUnderTest& book, const Further& further) {
    VoveZedevir& c = book.c();
    for (const std::string& flag : further.flags) {
        if (flag == "rtl-seen" || flag == "no-rtl-seen") EXPECT_EQ(book.run.rightToLeftMarksSeen, flag == "rtl-seen");
        else if (flag.ends_with("duplicate-marks")) EXPECT_EQ(c.duplicateMarks, flag == "duplicate-marks");
        else if (flag == "contents-placed") EXPECT_TRUE(book.run.contentsPlaced);
        else ADD_FAILURE() << "unknown flag " << flag;
    }
    for (const auto& [key, value] : further.values) {
        if (key == "spine") EXPECT_EQ(c.spine, spineOf(value));
        else if (key == "guide") EXPECT_EQ(c.guide, value);
        else if (key == "contents-title") EXPECT_EQ(book.run.contentsTitle, value);
        else if (key == "endnotes-title") EXPECT_EQ(book.run.endnotesTitle, value);
        else if (key == "nav-point") EXPECT_EQ(std::to_string(c.navPoint), value);
        else if (key == "section-number") EXPECT_EQ(std::to_string(c.sectionNumber), value);
        else if (key == "navmap-once") EXPECT_EQ(text::split(c.navmap, value).size(), 2u) << c.navmap;
        else if (key == "page1-starts") EXPECT_TRUE(firstPage(book).starts_with(value));
        else ADD_FAILURE() << "unknown check " << key;
    }
}

TEST(SectionCases, EachCaseGivesItsSectionsContentsAndMarks) {
    const auto cases = files::readFile(suiteSetting("QUILLARY_FIXTURES") + "/sections/cases.txt");
    ASSERT_TRUE(cases);
    std::vector<std::pair<BookCase, Further>> read;
    for (const std::string& line : text::split(*cases, "\n")) {
        if (line.starts_with("== ")) read.push_back({BookCase{.what = line.substr(3)}, Further{}});
        if (line.empty() || line.starts_with("#") || line.starts_with("== ") || read.empty()) continue;
        const std::size_t colon = line.find(':');
        const std::string key = line.substr(0, colon);
        const std::string value = colon == std::string::npos ? "" : text::trimBlanksAndTabs(line.substr(colon + 1));
        addLine(read.back().first, read.back().second, key, value);
    }
    ASSERT_GE(read.size(), 20u);
    for (auto& [test, further] : read) {
        BookUnderTest book;
        test.more = [&further](BookUnderTest& built) { checkFurther(built, further); };
        expectBook(book, test);
    }
}

}  // namespace
}  // namespace quillary::testing
