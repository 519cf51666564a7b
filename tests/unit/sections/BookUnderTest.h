#pragma once
// The assembly over a body of our own, with a section template of our own
// and a manuscript's folder of the test's naming: no disk is touched.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "epub/Assembly.h"
#include "epub/HeadingChapters.h"
#include "epub/Marks.h"
#include "epub/Pages.h"

namespace quillary::testing {

struct BookUnderTest {
    BuildRequest request;
    epub::Templates templates;
    std::vector<std::string> lines;
    std::vector<FolderEntry> folder;  // what the manuscript's folder holds
    epub::PackageModel model;
    Problems problems;
    epub::Marks marks;

    explicit BookUnderTest(bool epub3 = true) {
        request.bookInfo = {"The Book", "", "", "", "2020-01-01", "", "", "0"};
        request.epub3 = epub3;
        templates.section = "<title>$book_name</title>\n<body>\n$content\n</body>\n";
    }

    // Puts the body lines between a head and the body's end.
    void body(const std::vector<std::string>& bodyLines) {
        lines = {"<html>", "<head><title>x</title></head>", "<body>"};
        lines.insert(lines.end(), bodyLines.begin(), bodyLines.end());
        lines.push_back("</body>");
        lines.push_back("</html>");
    }

    void build() {
        epub::AssembledBook book =
            epub::assemblePackage({.lines = lines,
                                   .request = request,
                                   .templates = templates,
                                   .texts = {"ContentsTitle", "EndnotesTitle", "Cover", "notAPictureMsg"},
                                   .stylesheet = "",
                                   .folder = folder});
        model = std::move(book.model);
        problems = std::move(book.problems);
        marks = epub::findMarks(epub::withSectionLines(lines, epub::chaptersOf(lines)).value_or(lines));
    }

    const epub::PackageFile* page(const std::string& name) const {
        for (const epub::PackageFile& file : model.pages)
            if (file.name == "OEBPS/" + name) return &file;
        return nullptr;
    }

    // What section N holds between the template's body tags; "<none>" when
    // it was not written.
    std::string section(int n) const {
        const epub::PackageFile* file = page(epub::sectionFileName(n));
        if (!file) return "<none>";
        const std::string open = "<body>\n";
        const std::size_t from = file->bytes.find(open) + open.size();
        return file->bytes.substr(from, file->bytes.rfind("</body>") - from);
    }

    int sectionFilesWritten() const {
        int count = 0;
        while (page(epub::sectionFileName(count + 1))) ++count;
        return count;
    }
};

// "<p>text</p>" as the sections pass writes it.
inline std::string wrapped(const std::string& text) { return "<p><span class=\"sz\">" + text + "</span></p>\n"; }

}  // namespace quillary::testing
