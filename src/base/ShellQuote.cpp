#include "base/ShellQuote.h"

namespace quillary {

std::string shellQuoteDouble(std::string_view path) {
    std::string quoted;
    quoted.reserve(path.size() + 8);
    for (char c : path) {
        if (c == '"' || c == '$' || c == '`' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted;
}

std::string shellQuoteSingle(std::string_view path) {
    std::string quoted;
    quoted.reserve(path.size() + 8);
    for (char c : path) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted;
}

}  // namespace quillary
