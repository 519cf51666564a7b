#pragma once
// Putting paths into /bin/sh command lines.

#include <string>
#include <string_view>

namespace quillary {

// The text to place between the double quotes of a command line: inside
// double quotes the shell still gives `"`, `$`, `` ` `` and `\` a meaning,
// so each gets a backslash; every other byte (blanks, newlines, non-ASCII)
// stands as it is. A path without those four characters comes back unchanged.
std::string shellQuoteDouble(std::string_view path);

// The text to place between single quotes: nothing is special there but the
// single quote itself, which becomes '\'' (close, escaped quote, reopen).
std::string shellQuoteSingle(std::string_view path);

}  // namespace quillary
