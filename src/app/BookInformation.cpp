#include "app/BookInformation.h"

#include <algorithm>
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

std::string parseStoredLanguage(const std::string& text) {
    const std::string trimmed = text::trimBlanksAndTabs(text);
    // Earlier versions read the digits up to the first other character.
    if (!trimmed.empty() && std::isdigit(static_cast<unsigned char>(trimmed[0]))) {
        const std::size_t digits = std::min(trimmed.find_first_not_of("0123456789"), trimmed.size());
        return std::to_string(quickListIndex(trimmed.substr(0, std::min<std::size_t>(digits, 3))).value_or(0));
    }
    if (const std::optional<int> index = quickListIndex(trimmed)) return std::to_string(*index);
    return canonicalCase(trimmed);
}

namespace {

// The ISBN's check digit as the standard computes it from the digits before
// it: weights 10 down to 2 modulo 11 for ISBN-10 ("X" for ten), 1 and 3
// modulo 10 for ISBN-13.
char isbnCheckDigit(const std::string& digits) {
    int sum = 0;
    if (digits.size() == 10) {
        for (std::size_t i = 0; i < 9; ++i) sum += (digits[i] - '0') * static_cast<int>(10 - i);
        const int check = (11 - sum % 11) % 11;
        return check == 10 ? 'X' : static_cast<char>('0' + check);
    }
    for (std::size_t i = 0; i < 12; ++i) sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

}  // namespace

std::string isbnCheckDigitAdvice(const std::string& isbn, const Localizer& texts) {
    std::string digits;
    for (char c : isbn)
        if (c != '-' && c != ' ' && c != '\t') digits += c == 'x' ? 'X' : c;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool isbn10 = digits.size() == 10 && std::all_of(digits.begin(), digits.end() - 1, isDigit) &&
                        (isDigit(digits.back()) || digits.back() == 'X');
    const bool isbn13 = digits.size() == 13 && std::all_of(digits.begin(), digits.end(), isDigit);
    if (!isbn10 && !isbn13) return "";
    const char expected = isbnCheckDigit(digits);
    if (digits.back() == expected) return "";
    return text::format(texts.text("The ISBN %@ should end in %@, not %@: its check digit is wrong, and stores may "
                                   "refuse it. The book keeps it as typed."),
                        {text::trimBlanksAndTabs(isbn), std::string(1, expected), std::string(1, digits.back())});
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

// FNV-1a: a key that only needs to differ between names and folders and
// stay the same from one run to the next, which std::hash does not promise.
std::string digestOf(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

// "NAMEInfo-KEY.txt", KEY a digest of the manuscript's folder, so that two
// manuscripts of one name in two folders keep their own; for a name too long
// for the file system, the name's start and a digest of the whole, so the
// next build of the manuscript finds it.
std::string storedFileName(const std::string& manuscript) {
    std::string name = nameOf(manuscript);
    const std::string key = "Info-" + digestOf(paths::deletingLastComponent(manuscript)) + ".txt";
    if (name.size() + key.size() > kLongestStoredName) {
        std::size_t cut = kLongestStoredName - key.size() - 17;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        name = name.substr(0, cut) + "-" + digestOf(name);
    }
    return name + key;
}

safefile::Rules informationRules(const std::string& inside) {
    return {.maxBytes = kBookInformationLimit, .insideFolder = inside, .ownedByUs = false};
}

// bookInfo.txt came with the manuscript, from whoever sent it: it is read
// as any file of theirs, never through a link out of their folder.
std::string besideInformationPath(const std::string& manuscriptFolder) { return manuscriptFolder + "/bookInfo.txt"; }
std::string folderOf(const std::string& manuscript) {
    const std::string folder = paths::deletingLastComponent(manuscript);
    return folder.empty() ? "." : folder;
}

// A file of book information, read as any file we did not write: never
// through a link out of `inside` (when given), never more than such a file
// needs.
std::optional<StoredBookInformation> readNonEmpty(const std::string& path, InformationSource source,
                                                  const std::string& inside = "") {
    const auto bytes = safefile::readWhole(path, informationRules(inside));
    if (!bytes || bytes->empty()) return std::nullopt;
    return StoredBookInformation{path, decodeTextFile(*bytes), source};
}

// The stand-ins earlier versions stored for fields the author left empty.
bool isOldStandIn(const std::string& value) {
    for (const char* standIn : {"No Title!", "No Author", "No Publisher", "No Copyright", "No Genre"})
        if (value == standIn) return true;
    return false;
}

}  // namespace

std::string storedInformationPath(const std::string& dataFolder, const std::string& manuscript) {
    return dataFolder + "/" + storedFileName(manuscript);
}

std::optional<StoredBookInformation> findBookInformation(const std::string& dataFolder,
                                                         const std::string& manuscript) {
    const std::string own = dataFolder.empty() ? "" : storedInformationPath(dataFolder, manuscript);
    if (!own.empty())
        if (auto stored = readNonEmpty(own, InformationSource::Stored)) return stored;
    const std::string folder = folderOf(manuscript);
    if (auto beside = readNonEmpty(besideInformationPath(folder), InformationSource::BesideManuscript, folder))
        return beside;
    if (own.empty()) return std::nullopt;
    const std::string unkeyed = dataFolder + "/" + nameOf(manuscript) + "Info.txt";
    auto earlier = readNonEmpty(unkeyed, InformationSource::Stored);
    if (earlier && files::moveFile(unkeyed, own)) earlier->path = own;
    return earlier;
}

BookInfo fieldsFromStored(const std::string& manuscript, const std::optional<std::string>& storedText,
                          const DocumentProperties& properties, bool* propertiesUsed) {
    BookInfo fields{.language = ""};
    if (storedText) applyBookInformation(*storedText, fields);
    for (std::string* entry : fields.inFileOrder())
        if (isOldStandIn(*entry)) entry->clear();
    const bool filled = fillFromProperties(fields, properties, !fields.language.empty());
    if (propertiesUsed) *propertiesUsed = filled;
    if (fields.title.empty()) fields.title = defaultTitle(manuscript);
    // An unreadable date shows today's, as a blank one does.
    const std::optional<CivilDate> date = fields.date.empty() ? std::nullopt : parsePublicationDate(fields.date);
    fields.date = formatDate(date.value_or(today()));
    fields.language = parseStoredLanguage(fields.language);
    return fields;
}

std::string informationSourceLine(const std::optional<StoredBookInformation>& stored, const std::string& manuscript,
                                  bool titleGiven, bool propertiesUsed, const Localizer& texts) {
    const std::string name = paths::lastComponent(manuscript);
    const char* line = "No book information for %@: the title defaults to its folder's name.";
    if (!stored && propertiesUsed) line = "Book information from the document properties of %@.";
    else if (!stored && titleGiven) line = "No book information for %@.";
    if (!stored) return text::format(texts.text(line), {name});
    // Whole sentences, so that each language can word them its own way.
    if (stored->source == InformationSource::BesideManuscript)
        line = propertiesUsed ? "Book information from %@, beside the manuscript; empty fields from the document "
                                "properties."
                              : "Book information from %@, beside the manuscript.";
    else
        line = propertiesUsed ? "Book information from %@, stored by an earlier build; empty fields from the "
                                "document properties."
                              : "Book information from %@, stored by an earlier build.";
    return text::format(texts.text(line), {stored->path});
}

std::string besideInformationRefusal(const std::string& manuscript, const Localizer& texts) {
    const std::string folder = folderOf(manuscript);
    const auto opened = safefile::CheckedFile::open(besideInformationPath(folder), informationRules(folder));
    if (opened || opened.reason().kind == safefile::Refusal::Kind::Missing) return {};
    return text::format(texts.text("%@ was not read: it %@."), {"bookInfo.txt", opened.reason().reason});
}

std::string defaultTitle(const std::string& manuscript) {
    return paths::lastComponent(paths::deletingLastComponent(manuscript));
}

namespace {

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

// The book information as the book states it: the default title for an
// empty one, the ISBN without its separators, the language as stored.
// Empty optional entries stay empty: a stand-in such as "No Author" would
// reach the stores' catalogues as if it were the author's name.
BookInfo forTheBook(const BookInfo& typed, const std::string& manuscript) {
    BookInfo info = typed;
    if (info.title.empty()) info.title = defaultTitle(manuscript);
    for (const char* separator : {"-", "/", ":"}) info.isbn = removingAll(info.isbn, separator);
    info.isbn = text::trimBlanksAndTabs(info.isbn);
    info.language = parseStoredLanguage(typed.language);
    return info;
}

}  // namespace

std::string defaultBookName(const BookInfo& fields, const std::string& manuscript) {
    const auto fromTitle = [](const std::string& title) {
        return text::trimBlanksAndTabs(removingAll(text::replacedAll(title, ":", "-"), "\""));
    };
    std::string name = removingAll(fields.isbn, "-");
    if (name.empty()) name = fromTitle(fields.title);
    if (name.empty()) name = fromTitle(defaultTitle(manuscript));
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
                         .bookInfo = forTheBook(typed(fields), manuscript),
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
    BookInfo stored = typed(fields);
    stored.language = parseStoredLanguage(stored.language);
    std::string content;
    for (const std::string* line : stored.inFileOrder()) {
        if (line != &stored.title) content += "\n";
        content += *line;
    }
    return files::writeFileAtomically(storedInformationPath(dataFolder, manuscript), content);
}

}  // namespace quillary::app
