#pragma once
// A controller ready for the marks and sections passes: a section template
// of our own in the test folder, a package folder, and a body to read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "platform/Files.h"
#include "support/Harness.h"

namespace quillary::testing {

struct BookUnderTest {
    Harness h{false};
    EpubRun run;

    explicit BookUnderTest(bool epub3 = true) {
        h.preferences.setBool(prefs::kEpub3, epub3);
        for (const char* name : {"res/section-2.html", "res/section-3.html"}) {
            h.folder.write(name, "<title>$book_name</title>\n<body>\n$content\n</body>\n");
        }
        h.c().locations.resources.folder = h.folder.file("res");
        h.c().tempDirectoryPath = h.folder.file("epub");
        h.folder.makeFolder("epub/OEBPS");
        h.c().bookInfo = {"The Book", "", "", "", "2020-01-01", "", "", "0"};
        run.contentsTitle = "ContentsTitle";
        run.endnotesTitle = "EndnotesTitle";
    }

    VoveZedevir& c() { return h.c(); }

    // Puts the body lines between a head and the body's end.
    void body(const std::vector<std::string>& bodyLines) {
        c().lines = {"<html>", "<head><title>x</title></head>", "<body>"};
        c().lines.insert(c().lines.end(), bodyLines.begin(), bodyLines.end());
        c().lines.push_back("</body>");
        c().lines.push_back("</html>");
    }

    void build() {
        c().marksPass(run);
        c().sectionsPass(run);
    }

    // What section N holds between the template's body tags; "<none>" when
    // the file was not written.
    std::string section(int n) const {
        auto page = files::readFile(h.folder.file("epub/OEBPS/section" + std::to_string(n) + ".xhtml"));
        if (!page) return "<none>";
        const std::string open = "<body>\n";
        const std::size_t from = page->find(open) + open.size();
        return page->substr(from, page->rfind("</body>") - from);
    }

    int sectionFilesWritten() const {
        int count = 0;
        while (files::exists(h.folder.file("epub/OEBPS/section" + std::to_string(count + 1) + ".xhtml"))) ++count;
        return count;
    }
};

// "<p>text</p>" as the sections pass writes it.
inline std::string wrapped(const std::string& text) {
    return "<p><span class=\"sz\">" + text + "</span></p>\n";
}

}  // namespace quillary::testing
