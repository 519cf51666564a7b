#include "converter/CodePage.h"

#include "base/Utf8.h"

#include <cctype>
#include <cerrno>
#include <iconv.h>

namespace conv {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

const char* iconvName(int codePage) {
    switch (codePage) {
    case 437: return "CP437";
    case 850: return "CP850";
    case 866: return "CP866";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 10001: return "CP932";   // Mac Japanese: Shift-JIS, which CP932 extends
    case 10002: return "BIG5";
    case 10003: return "CP949";   // Mac Korean: EUC-KR, which CP949 extends
    case 10007: return "MAC-CYRILLIC";
    case 10008: return "GB2312";
    case 10029: return "MAC-CENTRALEUROPE";
    case 20936: return "GB2312";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    default: return nullptr;
    }
}

void appendReplacement(std::string& out) { out += "\xEF\xBF\xBD"; }

// The Symbol font's pictures from 0x20 on, as Adobe's Symbol encoding gives
// them (bracket pieces and the like as Unicode's own, not private-use,
// characters); 0 where the font draws nothing.
constexpr char32_t kSymbolFont[224] = {
    /* 20 */ 0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B,
    /* 28 */ 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    /* 30 */ 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    /* 38 */ 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    /* 40 */ 0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,
    /* 48 */ 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    /* 50 */ 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    /* 58 */ 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    /* 60 */ 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    /* 68 */ 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    /* 70 */ 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
    /* 78 */ 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0000,
    /* 80 */ 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    /* 88 */ 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    /* 90 */ 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    /* 98 */ 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    /* A0 */ 0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,
    /* A8 */ 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    /* B0 */ 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    /* B8 */ 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    /* C0 */ 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    /* C8 */ 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    /* D0 */ 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    /* D8 */ 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    /* E0 */ 0x25CA, 0x27E8, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    /* E8 */ 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    /* F0 */ 0x0000, 0x27E9, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    /* F8 */ 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0000,
};

// Wingdings has no standard table; these are the pictures that Word offers
// as bullets and check boxes, which are what manuscripts use it for.
char32_t wingdingsPicture(unsigned char byte) {
    switch (byte) {
    case 0x4A: return U'\u263A';
    case 0x4C: return U'\u2639';
    case 0x6C: return U'\u25CF';
    case 0x6E: return U'\u25A0';
    case 0x6F: return U'\u25A1';
    case 0x71: return U'\u2751';
    case 0x75: return U'\u25C6';
    case 0x76: return U'\u2756';
    case 0x9F: return U'\u2022';
    case 0xA7: return U'\u25AA';
    case 0xA8: return U'\u25FB';
    case 0xD8: return U'\u27A2';
    case 0xFB: return U'\u2717';
    case 0xFC: return U'\u2713';
    case 0xFD: return U'\u2612';
    case 0xFE: return U'\u2611';
    default: return 0;
    }
}

char32_t picture(int codePage, unsigned char byte) {
    if (codePage == kSymbolCodePage) return byte >= 0x20 ? kSymbolFont[byte - 0x20] : 0;
    char32_t drawn = codePage == kWingdingsCodePage ? wingdingsPicture(byte) : 0;
    if (drawn != 0) return drawn;
    // The Symbol font's bullet, which writers put in whatever picture font
    // they name (in Wingdings itself the byte is a clock face), and OpenSymbol's.
    return byte == 0xB7 || byte == 0x96 ? U'\u2022' : 0;
}

}  // namespace

bool isPictureFont(int codePage) {
    return codePage == kSymbolCodePage || codePage == kWingdingsCodePage || codePage == kPictureFontCodePage;
}

int pictureFontCodePage(std::string_view fontName) {
    std::string name(fontName);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "symbol") return kSymbolCodePage;
    if (name == "wingdings") return kWingdingsCodePage;
    if (name.starts_with("wingdings") || name.starts_with("opensymbol") || name.starts_with("starsymbol"))
        return kPictureFontCodePage;
    return 0;
}

int codePageForCharset(int charset, int documentCodePage) {
    switch (charset) {
    case 0: return kDefaultCodePage;  // ANSI means Western, whatever \ansicpg says
    case 2: return kPictureFontCodePage;
    case 77: return 10000;
    case 78: return 10001;
    case 79: return 10003;
    case 80: return 10008;
    case 81: return 10002;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return documentCodePage;
    }
}

void appendUtf8(std::string& out, char32_t cp) { quillary::utf8::append(out, cp); }

TextDecoder::~TextDecoder() {
    for (auto& [codePage, converter] : converters_) {
        if (converter != kNoConverter) iconv_close(static_cast<iconv_t>(converter));
    }
}

void* TextDecoder::converterFor(int codePage) {
    auto found = converters_.find(codePage);
    if (found != converters_.end()) return found->second;
    const char* name = iconvName(codePage);
    iconv_t converter = name ? iconv_open("UTF-8", name) : kNoConverter;
    converters_.emplace(codePage, converter);
    return converter;
}

void TextDecoder::decode(int codePage, std::string_view bytes, std::string& out) {
    if (isPictureFont(codePage)) return decodePictures(codePage, bytes, out);
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        out.append(bytes);
        return;
    }
    if (codePage == kUtf8CodePage) return decodeUtf8(bytes, out);

    void* converter = converterFor(codePage);
    if (converter == kNoConverter) converter = converterFor(kDefaultCodePage);
    if (converter == kNoConverter) {
        for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
        return;
    }
    auto handle = static_cast<iconv_t>(converter);
    iconv(handle, nullptr, nullptr, nullptr, nullptr);

    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::size_t start = out.size();
    out.resize(start + bytes.size() * 4 + 8);  // no code page needs more than 4 bytes per byte
    char* dest = out.data() + start;
    std::size_t destLeft = out.size() - start;
    while (inLeft > 0) {
        if (iconv(handle, &in, &inLeft, &dest, &destLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;  // cannot happen with the room reserved above
        // An undefined byte or a lead byte without its trail: one replacement
        // character, then go on with the next byte.
        ++in;
        --inLeft;
        if (destLeft < 3) break;
        *dest++ = '\xEF';
        *dest++ = '\xBF';
        *dest++ = '\xBD';
        destLeft -= 3;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    iconv(handle, nullptr, nullptr, &dest, &destLeft);  // flush a stateful converter
    out.resize(static_cast<std::size_t>(dest - out.data()));
}

void TextDecoder::decodePictures(int codePage, std::string_view bytes, std::string& out) {
    // A byte the font has no known picture for is read as Latin text, which
    // is what the author saw while typing it in another font.
    for (char c : bytes) {
        char32_t drawn = picture(codePage, static_cast<unsigned char>(c));
        if (drawn != 0) appendUtf8(out, drawn);
        else decode(kDefaultCodePage, std::string_view(&c, 1), out);
    }
}

void TextDecoder::decodeUtf8(std::string_view bytes, std::string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = length > 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) {
            appendReplacement(out);
            ++i;
            continue;
        }
        appendUtf8(out, cp);  // rejects overlong surrogates and values past U+10FFFF
        i += length;
    }
}

}  // namespace conv
