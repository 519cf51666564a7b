#pragma once
// Code pages of RTF text: which one a font or document names, and decoding
// bytes in it to UTF-8.

#include <string>
#include <string_view>
#include <unordered_map>

namespace conv {

inline constexpr int kDefaultCodePage = 1252;
inline constexpr int kUtf8CodePage = 65001;
// Not Windows code pages: our names for fonts whose bytes are pictures
// rather than letters. Symbol and Wingdings have tables of their own; other
// picture fonts (\fcharset2, OpenSymbol) are read as Latin but for their bullets.
inline constexpr int kSymbolCodePage = 42;
inline constexpr int kWingdingsCodePage = 43;
inline constexpr int kPictureFontCodePage = 44;

// True for the code pages above, whose bytes below 0x80 can be pictures too.
bool isPictureFont(int codePage);

// The picture code page of a font known by its name (in any case, as
// Windows matches them), or 0.
int pictureFontCodePage(std::string_view fontName);

// The code page that an \fcharsetN names. Charsets that mean "whatever the
// document says" (1, default; unknown ones) give documentCodePage.
int codePageForCharset(int charset, int documentCodePage);

// Appends the UTF-8 form of a code point; anything that is not a Unicode
// scalar value is written as U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);

// Decodes bytes through iconv. Holds one open converter per code page, so
// one decoder serves one document (not thread-safe; cheap to make).
class TextDecoder {
public:
    TextDecoder() = default;
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;
    ~TextDecoder();

    // Appends the UTF-8 text of `bytes` read in `codePage` to `out`. Bytes
    // that the code page does not define become U+FFFD; an unknown code page
    // is read as Windows-1252.
    void decode(int codePage, std::string_view bytes, std::string& out);

private:
    void* converterFor(int codePage);
    void decodePictures(int codePage, std::string_view bytes, std::string& out);
    void decodeUtf8(std::string_view bytes, std::string& out);

    std::unordered_map<int, void*> converters_;
};

}  // namespace conv
