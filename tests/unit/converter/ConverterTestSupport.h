#pragma once
// Helpers shared by the converter's tests: reading the HTML form back, and
// running the quillary-textutil program.

#include "converter/Converter.h"
#include "support/TestFolder.h"

#include <string>
#include <string_view>
#include <vector>

namespace conv::testing {

using Lines = std::vector<std::string>;

// The lines between "<body>" and "</body>".
Lines bodyLines(const std::string& html);

// Text a reader would see: tags removed, entities decoded, hyperlink targets
// (with the blank the form puts after them) and the "<<note>>" texts left
// out (LibreOffice's text export has neither), each note leaving noteMark
// where it stood.
std::string visibleText(const std::string& html, std::string_view noteMark = {});

// The visible text of a one-paragraph document, without the line ends around it.
std::string oneParagraphText(const std::string& html);

// The rule of a class, e.g. ruleOf(html, "p.p1") gives "margin: ...".
std::string ruleOf(const std::string& html, std::string_view selector);

// A setting of the test suite (QUILLARY_TEXTUTIL, QUILLARY_FIXTURES,
// QUILLARY_CORPUS). The fixtures and the corpus fall back to the source tree,
// so that listing the tests at build time finds the golden cases too.
std::string setting(const std::string& name);

// A case of a data file under tests/fixtures: a run of "key: value" lines
// between blank lines, "<U+XXXX>" standing for that character; lines that
// begin with "#" are comments, and a line that is neither counts under the key "".
struct Case {
    std::string where;  // the file and the line the case begins on
    std::vector<std::pair<std::string, std::string>> entries;
};
std::vector<Case> readCases(const std::string& name);

struct ProgramResult {
    int status = -1;
    std::string output;  // standard output and standard error together
};

// Runs quillary-textutil through the build's shell runner, optionally with another PATH.
ProgramResult runTextutil(const Lines& arguments, const char* path = nullptr);

std::string readFile(const std::string& path);

}  // namespace conv::testing
