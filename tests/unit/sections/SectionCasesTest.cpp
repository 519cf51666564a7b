// The assembly runs over the cases written as data in
// tests/fixtures/sections/cases.txt (its head says how they are written).

#include <gtest/gtest.h>

#include "BookUnderTest.h"
#include "epub/ContentsPage.h"
#include "epub/Ncx.h"
#include "epub/PackageDocument.h"
#include "platform/Files.h"
#include "support/TestFolder.h"

namespace quillary::testing {
namespace {

struct Case {
    std::string what{}, body{};
    bool epub3 = true;
    std::vector<std::string> pages{};       // every section file written, between its body tags
    std::optional<std::string> contents{};  // left unchecked when not given
    std::map<std::string, std::string> marks{};
    std::vector<std::string> missing{}, unnamedImages{}, leftOut{}, flags{};
    std::map<std::string, std::string> values{};
    std::vector<std::pair<std::string, std::string>> files{};  // page, text it holds
};

std::string pageName(const std::string& page) {
    const bool number = !page.empty() && page.find_first_not_of("0123456789") == std::string::npos;
    return (number ? "section" + page : page) + ".xhtml";
}

void addContentsEntry(std::string& list, const std::string& value) {
    if (value.starts_with("<")) {
        list += value + "\n";
    } else if (!value.empty()) {
        const std::vector<std::string> parts = text::split(value, " ");
        const std::size_t nameAt = parts[0].size() + parts[1].size() + 2;
        list += "<li id=\"navpoint-" + parts[0] + "\"><a href=\"" + pageName(parts[1]) + "\">" + value.substr(nameAt) +
                "</a></li>\n";
    }
}

void addLine(Case& test, const std::string& key, const std::string& value) {
    if (key == "body") test.body = value;
    else if (key == "epub") test.epub3 = value != "2";
    else if (key == "page") test.pages.push_back(value);
    else if (key == "section") {
        test.pages.emplace_back();
        for (const std::string& paragraph : text::split(value, "|")) test.pages.back() += wrapped(paragraph);
    } else if (key == "missing") test.missing.push_back(value);
    else if (key == "unnamed-image") test.unnamedImages.push_back(value);
    else if (key == "left-out") test.leftOut.push_back(value);
    else if (key == "mark") {
        const std::size_t arrow = value.rfind(" -> ");
        test.marks[value.substr(0, arrow)] = value.substr(arrow + 4);
    } else if (key == "contents") addContentsEntry(test.contents ? *test.contents : test.contents.emplace(), value);
    else if (key == "file") {
        const std::size_t bar = value.find(" | ");
        test.files.emplace_back(value.substr(0, bar), bar == std::string::npos ? "" : value.substr(bar + 3));
    } else if (value.empty()) test.flags.push_back(key);
    else test.values[key] += key == "guide" ? value + "\n" : value;
}

std::string spineOf(const std::string& items) {
    std::string spine;
    for (std::string item : text::split(items, " ")) {
        const bool number = item.find_first_not_of("0123456789") == std::string::npos;
        const bool linear = !item.ends_with(":no");
        if (!linear) item.resize(item.size() - 3);
        spine += "    <itemref idref=\"" + (number ? "section" + item : item) + "\"" +
                 (linear ? "" : " linear=\"no\"") + "/>\n";
    }
    return spine;
}

void checkFlags(BookUnderTest& book, const Case& test) {
    const std::map<std::string, bool> now = {{"rtl-seen", book.marks.rightToLeft},
                                             {"duplicate-marks", book.problems.duplicateMarks},
                                             {"contents-placed", book.model.contentsPlaced},
                                             {"start-placed", book.model.start.has_value()},
                                             {"note-left-open", book.problems.noEnd}};
    for (const std::string& flag : test.flags) {
        const bool wanted = !flag.starts_with("no-");
        const auto found = now.find(wanted ? flag : flag.substr(3));
        if (found == now.end()) ADD_FAILURE() << "unknown flag " << flag;
        else EXPECT_EQ(found->second, wanted) << flag;
    }
}

void checkValues(BookUnderTest& book, const Case& test) {
    const epub::PackageModel& model = book.model;
    const std::string spine = epub::spineLines(model.spine), navmap = epub::navMap(model);
    const std::map<std::string, std::string> now = {
        {"spine", spine},
        {"guide", model.epub3 ? epub::startLandmark(model) : epub::guideLines(model, false)},
        {"manifest", epub::manifestLines(model.manifest)},
        {"navmap", navmap},
        {"contents-title", model.contentsTitle},
        {"unclosed-note", book.problems.unclosedNote}};
    for (const auto& [key, value] : test.values) {
        if (key == "spine") EXPECT_EQ(spine, spineOf(value));
        else if (key == "navmap-once") EXPECT_EQ(text::split(navmap, value).size(), 2u) << navmap;
        else if (key == "empty")
            for (const std::string& part : text::split(value, " ")) EXPECT_EQ(now.at(part), "");
        else if (now.contains(key)) EXPECT_EQ(now.at(key), value) << key;
        else ADD_FAILURE() << "unknown check " << key;
    }
    for (const auto& [name, holds] : test.files) {
        const epub::PackageFile* page = book.page(name);
        if (holds.empty()) EXPECT_FALSE(page) << name << " was written";
        else
            EXPECT_NE(page ? page->bytes.find(holds) : std::string::npos, std::string::npos)
                << name << " lacks " << holds;
    }
}

void expectBook(const Case& test) {
    SCOPED_TRACE(test.what);
    BookUnderTest book(test.epub3);
    std::vector<std::string> lines;
    for (const auto& piece : text::split(test.body, "|")) {
        if (!piece.starts_with("<")) lines.push_back("<p>" + piece + "</p>");
        else
            for (const auto& line : text::split(piece, "\n")) lines.push_back(line);
    }
    book.body(lines);
    book.folder = {{"boat.png"}, {"talk.mp3"}, {"film.mp4"}, {"film.png"}};  // the files the cases use
    book.build();
    std::vector<std::string> written;
    for (int n = 1; n <= book.sectionFilesWritten(); ++n) written.push_back(book.section(n));
    EXPECT_EQ(written, test.pages);
    const std::string contents = epub::contentsList(book.model);
    EXPECT_EQ(contents, test.contents.value_or(contents));
    std::map<std::string, std::string> marks;
    for (const auto& [name, section] : book.marks.sections) marks[name] = epub::sectionFileName(section);
    EXPECT_EQ(marks, test.marks);
    EXPECT_EQ(book.problems.missingMarks, test.missing);
    EXPECT_EQ(book.problems.imagesWithoutAlternative, test.unnamedImages);
    EXPECT_EQ(book.problems.picturesLeftOut, test.leftOut);
    checkFlags(book, test);
    checkValues(book, test);
}

TEST(SectionCases, EachCaseGivesItsSectionsContentsAndMarks) {
    const auto cases = files::readFile(suiteSetting("QUILLARY_FIXTURES") + "/sections/cases.txt");
    ASSERT_TRUE(cases);
    std::vector<Case> read;
    for (const std::string& line : text::split(*cases, "\n")) {
        if (line.starts_with("== ")) read.push_back({.what = line.substr(3)});
        if (line.empty() || line.starts_with("#") || line.starts_with("== ") || read.empty()) continue;
        const std::size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
        if (value.starts_with(" ")) value.erase(0, 1);  // blanks after it belong to the value
        addLine(read.back(), line.substr(0, colon), text::replacedAll(value, "\\n", "\n"));
    }
    ASSERT_GE(read.size(), 20u);
    for (const Case& test : read) expectBook(test);
}

}  // namespace
}  // namespace quillary::testing
