#include "base/Url.h"

#include <cstddef>
#include <string>

namespace quillary {

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
bool isSubDelim(char c) {
    switch (c) {
    case '!': case '$': case '&': case '\'': case '(': case ')':
    case '*': case '+': case ',': case ';': case '=':
        return true;
    default:
        return false;
    }
}

// Every byte is in the set given by `allowed`, or starts a complete "%HH".
template <typename Allowed>
bool consistsOf(std::string_view text, Allowed allowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
                return false;
            i += 2;
        } else if (!allowed(c)) {
            return false;
        }
    }
    return true;
}

bool isPathChar(char c) { return isUnreserved(c) || isSubDelim(c) || c == ':' || c == '@'; }
bool isQueryChar(char c) { return isPathChar(c) || c == '/' || c == '?'; }

bool isScheme(std::string_view text) {
    if (text.empty() || !isAlpha(text[0])) return false;
    for (char c : text)
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
    return true;
}

bool isDecimalOctet(std::string_view text) {
    if (text.empty() || text.size() > 3) return false;
    for (char c : text)
        if (!isDigit(c)) return false;
    if (text.size() > 1 && text[0] == '0') return false;  // no leading zeros
    return std::stoi(std::string(text)) <= 255;
}

bool isIPv4Address(std::string_view text) {
    int octets = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        const std::string_view octet = text.substr(start, dot == std::string_view::npos
                                                              ? std::string_view::npos
                                                              : dot - start);
        if (!isDecimalOctet(octet)) return false;
        ++octets;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return octets == 4;
}

bool isH16(std::string_view text) {
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (!isHexDigit(c)) return false;
    return true;
}

// Counts the 16-bit groups of one side of an IPv6 address ("" has none);
// an IPv4 tail, allowed only where the address ends, counts as two.
// Returns -1 when the side is malformed.
int ipv6Groups(std::string_view side, bool mayEndInIPv4) {
    if (side.empty()) return 0;
    int groups = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = side.find(':', start);
        const bool last = colon == std::string_view::npos;
        const std::string_view piece =
            side.substr(start, last ? std::string_view::npos : colon - start);
        if (last && mayEndInIPv4 && piece.find('.') != std::string_view::npos) {
            if (!isIPv4Address(piece)) return -1;
            return groups + 2;
        }
        if (!isH16(piece)) return -1;
        ++groups;
        if (last) return groups;
        start = colon + 1;
    }
}

bool isIPFuture(std::string_view text) {
    // "v" 1*HEXDIG "." 1*( unreserved / sub-delims / ":" )
    if (text.size() < 4 || (text[0] != 'v' && text[0] != 'V')) return false;
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot < 2) return false;
    for (std::size_t i = 1; i < dot; ++i)
        if (!isHexDigit(text[i])) return false;
    const std::string_view rest = text.substr(dot + 1);
    if (rest.empty()) return false;
    for (char c : rest)
        if (!isUnreserved(c) && !isSubDelim(c) && c != ':') return false;
    return true;
}

bool parseAuthority(std::string_view authority, UrlParts& parts) {
    const std::size_t at = authority.find('@');
    if (at != std::string_view::npos) {
        const std::string_view userinfo = authority.substr(0, at);
        if (!consistsOf(userinfo, [](char c) { return isUnreserved(c) || isSubDelim(c) || c == ':'; }))
            return false;
        parts.userinfo = std::string(userinfo);
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::string_view portText;
    bool hasPort = false;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        const std::string_view literal = authority.substr(1, close - 1);
        if (!isIPv6Address(literal) && !isIPFuture(literal)) return false;
        host = authority.substr(0, close + 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return false;
            hasPort = true;
            portText = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.rfind(':');
        if (colon != std::string_view::npos) {
            host = authority.substr(0, colon);
            hasPort = true;
            portText = authority.substr(colon + 1);
        }
        if (!consistsOf(host, [](char c) { return isUnreserved(c) || isSubDelim(c); }))
            return false;
    }
    if (hasPort) {
        for (char c : portText)
            if (!isDigit(c)) return false;
        parts.port = std::string(portText);
    }
    parts.host = std::string(host);
    return true;
}

// Moves what follows `mark` in `rest` into `tail`; false when it holds a
// character a query or fragment may not.
bool cutOffTail(std::string_view& rest, char mark, std::optional<std::string>& tail) {
    const std::size_t at = rest.find(mark);
    if (at == std::string_view::npos) return true;
    const std::string_view text = rest.substr(at + 1);
    if (!consistsOf(text, isQueryChar)) return false;
    tail = std::string(text);
    rest = rest.substr(0, at);
    return true;
}

}  // namespace

bool isIPv6Address(std::string_view text) {
    const std::size_t gap = text.find("::");
    if (gap == std::string_view::npos) return ipv6Groups(text, true) == 8;
    const int left = ipv6Groups(text.substr(0, gap), false);
    const int right = ipv6Groups(text.substr(gap + 2), true);
    return left >= 0 && right >= 0 && left + right <= 7;
}

std::optional<UrlParts> parseUrl(std::string_view text) {
    UrlParts parts;
    std::string_view rest = text;

    if (!cutOffTail(rest, '#', parts.fragment) || !cutOffTail(rest, '?', parts.query)) return std::nullopt;

    // A colon before any "/" ends the scheme; a reference without one is
    // relative and may not hold a colon in its first segment.
    const std::size_t colon = rest.find(':');
    const std::size_t slash = rest.find('/');
    if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
        const std::string_view scheme = rest.substr(0, colon);
        if (!isScheme(scheme)) return std::nullopt;
        parts.scheme = std::string(scheme);
        rest.remove_prefix(colon + 1);
    }

    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t pathStart = rest.find('/');
        if (!parseAuthority(rest.substr(0, pathStart), parts)) return std::nullopt;
        rest = pathStart == std::string_view::npos ? std::string_view{} : rest.substr(pathStart);
    }
    if (!consistsOf(rest, [](char c) { return isPathChar(c) || c == '/'; })) return std::nullopt;
    parts.path = std::string(rest);
    return parts;
}

bool hasSchemeAndHost(std::string_view text) {
    const auto parts = parseUrl(text);
    return parts && !parts->scheme.empty() && parts->host && !parts->host->empty();
}

}  // namespace quillary
