#pragma once
// Helpers shared by the converter's tests: reading the HTML form back, and
// running the quillary-textutil program.

#include "converter/Converter.h"
#include "support/TestFolder.h"

#include <string>
#include <string_view>
#include <vector>

namespace conv::testing {

// The lines between "<body>" and "</body>".
std::vector<std::string> bodyLines(const std::string& html);

// The lines between the "<style" line and the "</style>" line.
std::vector<std::string> styleLines(const std::string& html);

// The body of a one-paragraph document: its single line.
std::string onlyLine(const std::string& rtf);

// Text a reader would see: tags removed, entities decoded, hyperlink targets
// (with the blank the form puts after them) and the "<<note>>" texts left
// out (LibreOffice's text export has neither).
std::string visibleText(const std::string& html);

// The rule of a class, e.g. ruleOf(html, "p.p1") gives "margin: ...".
std::string ruleOf(const std::string& html, std::string_view selector);

// A setting of the test suite (QUILLARY_TEXTUTIL, QUILLARY_FIXTURES,
// QUILLARY_CORPUS); without them, the program is looked for beside the test
// program and the fixtures and the corpus in the source tree.
std::string setting(const std::string& name);

struct ProgramResult {
    int status = -1;
    std::string output;  // standard output and standard error together
};

// Runs quillary-textutil with the arguments, optionally with another PATH.
ProgramResult runTextutil(const std::vector<std::string>& arguments, const char* path = nullptr);

std::string readFile(const std::string& path);

}  // namespace conv::testing
