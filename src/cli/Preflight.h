#pragma once
// What the command line refuses before a build starts: a manuscript that is
// not a file it can read, a destination the book cannot be written to.
// Each fails with the reason, for a person.

#include <string>

#include "base/Result.h"

namespace quillary::cli {

Outcome checkManuscript(const std::string& path);

// `path` is the book's file as given; the book is written as its name
// without extension, plus ".epub" (and ".mobi"), in its folder.
Outcome checkDestination(const std::string& path);

}  // namespace quillary::cli
