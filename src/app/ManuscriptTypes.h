#pragma once
// Where a file's name alone must tell a manuscript (the open panel's filter,
// a document the desktop hands in), these extensions do, compared exactly:
// the desktop's file types name them in lower case. The build itself goes by
// the content.

#include <string>
#include <vector>

#include "platform/Paths.h"

namespace quillary::app {

inline const std::vector<std::string> kManuscriptExtensions = {"doc", "docx", "odt", "rtf"};

inline bool hasManuscriptExtension(const std::string& path) {
    const std::string extension = paths::extension(path);
    for (const std::string& known : kManuscriptExtensions)
        if (extension == known) return true;
    return false;
}

}  // namespace quillary::app
