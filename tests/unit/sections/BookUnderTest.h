#pragma once
// The assembly over a body of our own: a section template of our own, a
// manuscript folder in the test folder, and its working values to look at
// once it has run.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "epub/AssemblyState.h"
#include "platform/Files.h"
#include "support/TestFolder.h"

namespace quillary::testing {

struct BookUnderTest {
    TestFolder folder;
    BuildRequest request;
    package::Templates templates;
    std::vector<std::string> lines;
    std::vector<std::int64_t> progress;  // what the assembly told, in order
    Problems problems;
    std::unique_ptr<package::AssemblyInput> input;
    std::unique_ptr<package::Assembly> assembly;
    package::PackageModel model;

    explicit BookUnderTest(bool epub3 = true) {
        request.manuscriptFolder = folder.makeFolder("manuscript");
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

    // The assembly, set up for its passes.
    package::Assembly& prepare() {
        input = std::make_unique<package::AssemblyInput>(package::AssemblyInput{
            .lines = lines,
            .bodySearchFrom = 0,
            .request = request,
            .templates = templates,
            .texts = {"ContentsTitle", "EndnotesTitle", "Cover"},
            .stylesheet = "",
            .progress = [this](std::int64_t read) { progress.push_back(read); }});
        assembly = std::make_unique<package::Assembly>(*input, problems);
        return *assembly;
    }

    void build() { model = prepare().run(); }

    const package::PackageFile* page(const std::string& name) const {
        for (const package::PackageFile& file : model.pages)
            if (file.name == "OEBPS/" + name) return &file;
        return nullptr;
    }

    // What section N holds between the template's body tags; "<none>" when
    // it was not written.
    std::string section(int n) const {
        const package::PackageFile* file = page("section" + std::to_string(n) + ".xhtml");
        if (!file) return "<none>";
        const std::string open = "<body>\n";
        const std::size_t from = file->bytes.find(open) + open.size();
        return file->bytes.substr(from, file->bytes.rfind("</body>") - from);
    }

    int sectionFilesWritten() const {
        int count = 0;
        while (page("section" + std::to_string(count + 1) + ".xhtml")) ++count;
        return count;
    }
};

// "<p>text</p>" as the sections pass writes it.
inline std::string wrapped(const std::string& text) {
    return "<p><span class=\"sz\">" + text + "</span></p>\n";
}

}  // namespace quillary::testing
