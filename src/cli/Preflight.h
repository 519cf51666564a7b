#pragma once
// What the command line refuses before a build starts: a manuscript that is
// not a file it can read, a destination the book cannot be written to.
// Each answers the reason for a person, or nullopt when all is well.

#include <optional>
#include <string>

namespace quillary {

std::optional<std::string> manuscriptRefusal(const std::string& path);

// `path` is the book's file as given; the book is written as its name
// without extension, plus ".epub" (and ".mobi"), in its folder.
std::optional<std::string> destinationRefusal(const std::string& path);

}  // namespace quillary
