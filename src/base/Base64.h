#pragma once
// Base64 as data URIs carry it (RFC 4648, the standard alphabet).

#include <optional>
#include <string>
#include <string_view>

namespace quillary::base64 {

// The bytes `encoded` stands for. Blanks and line ends are passed over, as
// a data URI that was wrapped still means the same bytes; padding is
// optional. nullopt for any other character outside the alphabet, or a
// length no encoder writes.
std::optional<std::string> decode(std::string_view encoded);

}  // namespace quillary::base64
