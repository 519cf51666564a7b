#include "converter/PictureMarkup.h"

#include "converter/HtmlText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace conv {

namespace {

constexpr double kTwipsPerCssPixel = 15.0;

void appendBase64(std::string& out, std::string_view bytes) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t at = out.size();
    out.resize(at + (bytes.size() + 2) / 3 * 4);
    char* write = out.data() + at;
    auto byte = [&bytes](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        *write++ = digits[group >> 18];
        *write++ = digits[(group >> 12) & 63];
        *write++ = i + 1 < bytes.size() ? digits[(group >> 6) & 63] : '=';
        *write++ = i + 2 < bytes.size() ? digits[group & 63] : '=';
    }
}

void appendTenths(std::string& out, double value) {
    long tenths = std::lround(value * 10.0);
    out += std::to_string(tenths / 10);
    out += '.';
    out += static_cast<char>('0' + tenths % 10);
}

}  // namespace

std::string_view pictureMediaType(std::string_view format) {
    static constexpr std::pair<std::string_view, std::string_view> types[] = {
        {"png", "image/png"},  {"jpeg", "image/jpeg"}, {"gif", "image/gif"},    {"svg", "image/svg+xml"},
        {"bmp", "image/bmp"},  {"tiff", "image/tiff"}, {"emf", "image/emf"},    {"wmf", "image/wmf"},
        {"pict", "image/x-pict"}, {"dib", "image/x-dib"}};
    for (const auto& [name, type] : types)
        if (name == format) return type;
    return "application/octet-stream";
}

void appendPicture(std::string& out, const Picture& picture, int textWidthTwips) {
    out += "<img src=\"data:";
    out += pictureMediaType(picture.format);
    out += ";base64,";
    appendBase64(out, picture.bytes);
    out += "\" alt=\"";
    appendAttributeValue(out, picture.description);
    out += '"';
    if (picture.widthTwips > 0 && picture.heightTwips > 0) {
        out += " width=\"";
        out += std::to_string(std::max(1L, std::lround(picture.widthTwips / kTwipsPerCssPixel)));
        out += "\" height=\"";
        out += std::to_string(std::max(1L, std::lround(picture.heightTwips / kTwipsPerCssPixel)));
        out += '"';
        if (textWidthTwips > 0) {
            out += " style=\"width: ";
            appendTenths(out, std::min(100.0, 100.0 * picture.widthTwips / textWidthTwips));
            out += "%\"";
        }
    }
    out += " />";
}

}  // namespace conv
