// libFuzzer target for the converter: any bytes through the RTF reader and
// the HTML writer. A finding is a crash, a sanitizer report, a hang or
// output that breaks the page's frame.

#include "converter/Converter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The build drops output that is not UTF-8, so invalid bytes are a finding.
bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string html = conv::rtfToHtml(input);
    // Whatever the input, the build must find the body's frame.
    if (html.find("\n<body>\n") == std::string::npos || !html.ends_with("\n</body>\n</html>\n")) std::abort();
    if (!isUtf8(html)) std::abort();
    return 0;
}
