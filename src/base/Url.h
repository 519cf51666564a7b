#pragma once
// A strict reader of URI references (RFC 3986), enough to tell a usable web
// address from a bare host name, a relative path or a mail address.

#include <optional>
#include <string>
#include <string_view>

namespace quillary {

// The parts of a URI reference, as written (no decoding, no case folding).
// `host` is present exactly when the reference has an authority ("//"); it
// may then be empty, as in "file:///tmp".
struct UrlParts {
    std::string scheme;  // empty for a relative reference
    std::optional<std::string> userinfo;
    std::optional<std::string> host;  // an IP literal keeps its brackets
    std::optional<std::string> port;  // digits only, possibly empty
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

// Parses `text` as a URI reference. Returns nothing when any part breaks
// the grammar: a character outside its part's set (blanks and non-ASCII
// included), a stray "%", a bad IP literal, a non-numeric port, or a first
// path segment holding ":" in a reference without scheme.
std::optional<UrlParts> parseUrl(std::string_view text);

// True when `text` parses and has both a scheme and a non-empty host: the
// test a hyperlink target must pass to count as a usable address.
bool hasSchemeAndHost(std::string_view text);

// True for a valid IPv6 address in text form (without brackets).
bool isIPv6Address(std::string_view text);

}  // namespace quillary
