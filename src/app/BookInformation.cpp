#include "app/BookInformation.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "base/Text.h"
#include "base/Utf8.h"
#include "base/Xml.h"
#include "book/Languages.h"
#include "manuscript/Normalise.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/PosixShell.h"
#include "platform/SafeFile.h"

namespace quillary::app {

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

std::string formatDate(const CivilDate& date) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

namespace {

// Eight short lines: anything larger is not book information.
constexpr std::uint64_t kBookInformationLimit = 64 * 1024;
// File names end at 255 bytes, and the stored file's temporary name adds 8
// to its own; a longer manuscript name is shortened to this many bytes.
constexpr std::size_t kLongestStoredName = 200;

std::string nameOf(const std::string& manuscript) {
    return paths::deletingExtension(paths::lastComponent(manuscript));
}

// "NAMEInfo.txt"; for a name too long for the file system, the name's start
// and a digest of the whole, so the next build of the manuscript finds it.
std::string storedFileName(const std::string& manuscript) {
    const std::string name = nameOf(manuscript);
    if (name.size() + 8 <= kLongestStoredName) return name + "Info.txt";
    std::uint64_t digest = 14695981039346656037ULL;  // FNV-1a: stable across builds and machines
    for (const char c : name) digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    std::size_t cut = kLongestStoredName - 8 - 17;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(digest));
    return name.substr(0, cut) + "-" + hex + "Info.txt";
}

}  // namespace

std::optional<StoredBookInformation> findBookInformation(const std::string& dataFolder,
                                                         const std::string& manuscript) {
    const std::string manuscriptFolder = paths::deletingLastComponent(manuscript);
    // bookInfo.txt came with the manuscript, from whoever sent it: it is read
    // as any file of theirs, never through a link out of their folder.
    const std::pair<std::string, std::string> candidates[] = {
        {dataFolder.empty() ? "" : dataFolder + "/" + storedFileName(manuscript), ""},
        {manuscriptFolder + "/bookInfo.txt", manuscriptFolder.empty() ? "." : manuscriptFolder}};
    for (const auto& [path, inside] : candidates) {
        if (path.empty()) continue;
        const auto bytes =
            safefile::readWhole(path, {.maxBytes = kBookInformationLimit, .insideFolder = inside, .ownedByUs = false});
        if (bytes && !bytes->empty()) return StoredBookInformation{path, decodeTextFile(*bytes)};
    }
    return std::nullopt;
}

BookInfo fieldsFromStored(const std::string& manuscript, const std::optional<std::string>& storedText) {
    BookInfo fields{.title = paths::lastComponent(paths::deletingLastComponent(manuscript))};
    if (storedText) applyBookInformation(*storedText, fields);
    // An unreadable date shows today's, as a blank one does.
    const std::optional<CivilDate> date = fields.date.empty() ? std::nullopt : parsePublicationDate(fields.date);
    fields.date = formatDate(date.value_or(today()));
    fields.language = std::to_string(parseLanguageIndex(fields.language));
    return fields;
}

namespace {

std::string orDefault(const std::string& value, const char* fallback) {
    return value.empty() ? fallback : value;
}

std::string removingAll(std::string text, std::string_view what) {
    text::replaceAll(text, what, "");
    return text;
}

// Each field is one line of the book-information file: a line break typed
// or pasted into one would move every later field up a line when the file
// is read back, so it becomes a blank here, for the book too.
BookInfo typed(const BookInfo& fields) {
    BookInfo info = fields;
    for (std::string* entry : info.inFileOrder())
        if (entry != &info.date && entry != &info.language)
            *entry = text::trimBlanksAndTabs(text::withLineBreaksAsBlanks(*entry));
    return info;
}

// The book information as the book states it: stand-ins for what the
// author left empty, and the ISBN without its separators.
BookInfo forTheBook(const BookInfo& typed) {
    std::string identifier = typed.isbn;
    for (const char* separator : {"-", "/", ":"}) identifier = removingAll(identifier, separator);
    return {.title = orDefault(typed.title, "No Title!"),
            .author = orDefault(typed.author, "No Author"),
            .publisher = orDefault(typed.publisher, "No Publisher"),
            .copyright = orDefault(typed.copyright, "No Copyright"),
            .date = typed.date,
            .isbn = text::trimBlanksAndTabs(identifier),
            .genre = orDefault(typed.genre, "No Genre"),
            .language = typed.language};
}

}  // namespace

std::string defaultBookName(const BookInfo& fields) {
    std::string name = removingAll(fields.isbn, "-");
    if (name.empty()) name = text::trimBlanksAndTabs(removingAll(text::replacedAll(fields.title, ":", "-"), "\""));
    if (name.empty()) name = "No Title";
    // A slash would put the book into another folder than the one chosen.
    text::replaceAll(name, "/", "-");
    return name + ".epub";
}

std::string publicationForm(const std::string& entry, bool epub3) {
    // Normalising must see the "<br>" the author typed, so the other angle
    // brackets are escaped only after it: a "<" left in the title would open
    // a tag in every page that shows it, and reading systems reject the book.
    // The references that normalising writes hold neither bracket.
    return xml::escaped(manuscript::fixEncodings(xml::escaped(entry, "&"), true, epub3), "<>");
}

BuildRequest makeBuildRequest(const std::string& manuscript, const BookInfo& fields, const BuildChoices& choices) {
    BuildRequest request{.manuscript = manuscript,
                         .manuscriptFolder = paths::deletingLastComponent(manuscript),
                         .destinationFolder = choices.destinationFolder,
                         .bookName = choices.bookName,
                         .bookInfo = forTheBook(typed(fields)),
                         .epub3 = choices.epub3,
                         .kindle = choices.kindle,
                         .entryTime = choices.entryTime};
    BookInfo& info = request.bookInfo;
    for (std::string* entry : info.inFileOrder())
        if (entry != &info.language) *entry = publicationForm(*entry, choices.epub3);
    if (info.isbn.empty()) info.isbn = "urn:uuid:12345";
    return request;
}

Outcome storeBookInformation(const std::string& dataFolder, const std::string& manuscript, const BookInfo& fields) {
    // The file keeps the book information as typed, but for the stand-ins.
    const BookInfo typedFields = typed(fields);
    BookInfo stored = forTheBook(typedFields);
    stored.isbn = typedFields.isbn;
    std::string content;
    for (const std::string* line : stored.inFileOrder()) {
        if (line != &stored.title) content += "\n";
        content += *line;
    }
    return files::writeFileAtomically(dataFolder + "/" + storedFileName(manuscript), content);
}

}  // namespace quillary::app
