#include "app/BookInformation.h"

#include <cctype>
#include <ctime>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "platform/PosixShell.h"
#include "base/Utf8.h"

namespace quillary {

namespace {

void appendUtf8(std::string& out, unsigned long cp) { utf8::append(out, static_cast<char32_t>(cp)); }

std::string decodeUtf16(const std::string& bytes, bool bigEndian) {
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        unsigned long unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const auto c0 = static_cast<unsigned char>(bytes[i + 2]);
            const auto c1 = static_cast<unsigned char>(bytes[i + 3]);
            const unsigned long low = bigEndian ? (c0 << 8 | c1) : (c1 << 8 | c0);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
        appendUtf8(out, unit);
    }
    return out;
}

// The bytes 0x80-0x9F of Windows-1252; the rest of the range is Latin-1.
constexpr unsigned short kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

std::string decodeTextFile(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return decodeUtf16(bytes, false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return decodeUtf16(bytes, true);
    if (text::startsWith(bytes, "\xEF\xBB\xBF")) return bytes.substr(3);
    if (isValidUtf8(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : c);
    }
    return out;
}

void applyBookInformation(const std::string& input, BookInfo& info) {
    const auto entries = info.inFileOrder();
    const std::string text = text::replacedAll(input, "\r\n", "\n");
    std::size_t number = 0;
    std::size_t start = 0;
    const auto take = [&](std::size_t end) {
        const std::string piece = text::trimBlanksAndTabs(std::string_view(text).substr(start, end - start));
        if (!piece.empty() && number < entries.size()) *entries[number] = piece;
        ++number;
    };
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = text::lineSeparatorLength(text, i);
        if (length > 0) {
            take(i);
            i += length;
            start = i;
        } else {
            ++i;
        }
    }
    take(text.size());
}

namespace {

// The numbers of a "yyyy-MM-dd" text, whether or not they make a day of the
// calendar; nullopt when the text has another form.
std::optional<CivilDate> datePartsOf(const std::string& text) {
    int parts[3] = {0, 0, 0};
    const std::size_t maxDigits[3] = {4, 2, 2};
    std::size_t pos = 0;
    for (int part = 0; part < 3; ++part) {
        std::size_t digits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
               digits < maxDigits[part]) {
            parts[part] = parts[part] * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        if (part < 2) {
            if (pos >= text.size() || text[pos] != '-') return std::nullopt;
            ++pos;
        }
    }
    if (pos != text.size()) return std::nullopt;
    return CivilDate{parts[0], parts[1], parts[2]};
}

bool isCalendarDay(const CivilDate& date) {
    static constexpr int kDaysIn[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > kDaysIn[date.month - 1]) return false;
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    return !(date.month == 2 && date.day == 29 && !leap);
}

}  // namespace

bool hasPublicationDateForm(const std::string& text) { return datePartsOf(text).has_value(); }

std::optional<CivilDate> parsePublicationDate(const std::string& text) {
    const auto date = datePartsOf(text);
    if (!date || !isCalendarDay(*date)) return std::nullopt;
    return date;
}

int parseLanguageIndex(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    long value = 0;
    bool any = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        any = true;
        value = value * 10 + (text[i] - '0');
        if (value >= kLanguageCount) return 0;
    }
    return any ? static_cast<int>(value) : 0;
}

CivilDate today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace quillary
