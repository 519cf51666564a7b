#pragma once
// Word (.doc) files reach the RTF reader through LibreOffice.

#include <string>

namespace conv {

struct WordImport {
    bool ok = false;
    std::string rtf;     // the document as RTF when ok
    std::string error;   // why not, as a sentence, when not ok
};

// The LibreOffice program on PATH ("soffice", else "libreoffice"), or "" when
// none is installed.
std::string findLibreOffice();

// Converts the Word file at `path` to RTF with LibreOffice, in a private
// temporary folder with a private profile (so that runs at the same time,
// and a LibreOffice the author has open, never meet), and removes the folder
// afterwards. Blocks until LibreOffice ends or its time runs out.
WordImport importWordDocument(const std::string& path);

}  // namespace conv
