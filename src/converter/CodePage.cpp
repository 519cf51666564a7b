#include "converter/CodePage.h"

#include "platform/Utf8.h"

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

}  // namespace

int codePageForCharset(int charset, int documentCodePage) {
    switch (charset) {
    case 0: return kDefaultCodePage;  // ANSI means Western, whatever \ansicpg says
    case 2: return kSymbolCodePage;
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
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        out.append(bytes);
        return;
    }
    if (codePage == kSymbolCodePage) return decodeSymbol(bytes, out);
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

void TextDecoder::decodeSymbol(std::string_view bytes, std::string& out) {
    // The few Symbol, Wingdings and OpenSymbol pictures that manuscripts use
    // as list bullets; everything else is read as Latin text, which is what the
    // author saw while typing it.
    for (char c : bytes) {
        switch (static_cast<unsigned char>(c)) {
        case 0xB7: appendUtf8(out, U'\u2022'); break;
        case 0xA7: appendUtf8(out, U'\u25AA'); break;
        case 0xA8: appendUtf8(out, U'\u25A1'); break;
        case 0xD8: appendUtf8(out, U'\u27A2'); break;
        case 0xFC: appendUtf8(out, U'\u2713'); break;
        case 0x96: appendUtf8(out, U'\u2022'); break;  // OpenSymbol's bullet
        default: decode(kDefaultCodePage, std::string_view(&c, 1), out); break;
        }
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
