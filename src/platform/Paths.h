#pragma once
// Path text helpers with the meanings the build gives them.

#include <string>

namespace quillary::paths {

// "a/b/c.txt" -> "c.txt"; trailing slashes are ignored.
std::string lastComponent(const std::string& path);
// "a/b/c.txt" -> "a/b"; "c.txt" -> "".
std::string deletingLastComponent(const std::string& path);
// "c.tar.gz" -> "gz"; "c" -> ""; ".profile" -> "".
std::string extension(const std::string& path);
// "a/My Book.epub" -> "a/My Book"; only the last component's extension goes.
std::string deletingExtension(const std::string& path);
std::string join(const std::string& folder, const std::string& name);
// A leading "~" or "~/" becomes $HOME.
std::string expandTilde(const std::string& path);

}  // namespace quillary::paths
