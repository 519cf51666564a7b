#include "app/DocumentProperties.h"

#include <iconv.h>
#include <zip.h>

#include <fstream>

#include "app/BookInformation.h"
#include "base/Text.h"
#include "base/Utf8.h"
#include "book/Languages.h"
#include "platform/Paths.h"

namespace quillary::app {

namespace {

// The {\info} group follows the font, colour and style tables, which stay
// well under this even with many styles; a manuscript's pictures come
// later and are never read.
constexpr std::size_t kRtfPropertiesReach = 4 * 1024 * 1024;
// A properties entry is a few hundred bytes; anything past this is not one.
constexpr zip_uint64_t kPropertiesEntryLimit = 1024 * 1024;

constexpr int kWindowsLatin = 1252;

// The bytes of a property in Windows code page `codePage`, as UTF-8; a code
// page iconv does not know is read as Windows-1252, as RTF readers do.
std::string decodeCodePage(int codePage, const std::string& bytes) {
    iconv_t converter = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return decodeTextFile(bytes);
    std::string out(bytes.size() * 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* write = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(converter, &in, &inLeft, &write, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1)) return decodeTextFile(bytes);
    out.resize(out.size() - outLeft);
    return out;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string filePrefix(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string zipEntry(zip_t* archive, const char* name) {
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || stat.size > kPropertiesEntryLimit)
        return "";
    zip_file_t* file = zip_fopen(archive, name, 0);
    if (!file) return "";
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    return read == static_cast<zip_int64_t>(stat.size) ? bytes : "";
}

// The number after a control word at `at` ("\ansicpg1250" gives 1250), or
// `fallback`.
int numberAfter(const std::string& rtf, std::string_view word, int fallback) {
    const std::size_t at = rtf.find(word);
    if (at == std::string::npos) return fallback;
    std::size_t i = at + word.size();
    const bool negative = i < rtf.size() && rtf[i] == '-';
    if (negative) ++i;
    int value = 0;
    bool any = false;
    for (; i < rtf.size() && isDigit(rtf[i]) && value < 100000; ++i, any = true) value = value * 10 + (rtf[i] - '0');
    return any ? (negative ? -value : value) : fallback;
}

// The text of the group whose "{" is at `at`, with escapes and \'hh / \uN
// decoded and nested groups' text kept, control words dropped; `at` ends on
// the group's "}" (or the end of what was read).
std::string groupText(const std::string& rtf, std::size_t& at, int codePage) {
    std::string out, bytes;
    const auto flush = [&] {
        if (!bytes.empty()) out += decodeCodePage(codePage, bytes);
        bytes.clear();
    };
    int depth = 0, skip = 0, unicodeSkip = 1;
    for (; at < rtf.size(); ++at) {
        const char c = rtf[at];
        if (c == '{') ++depth;
        else if (c == '}' && --depth == 0) break;
        else if (c == '\r' || c == '\n') continue;
        else if (c != '\\') {
            if (skip > 0) --skip;
            else bytes += c;
        } else if (at + 1 < rtf.size() && std::string_view("\\{}").find(rtf[at + 1]) != std::string_view::npos) {
            bytes += rtf[++at];
        } else if (at + 3 < rtf.size() && rtf[at + 1] == '\'') {
            const std::string hex = rtf.substr(at + 2, 2);
            at += 3;
            if (skip > 0) --skip;
            else bytes += static_cast<char>(std::stoi(hex, nullptr, 16));
        } else {
            std::size_t end = at + 1;
            while (end < rtf.size() && isLetter(rtf[end])) ++end;
            const std::string word = rtf.substr(at + 1, end - at - 1);
            const int value = numberAfter(rtf.substr(end, 12), "", 0);
            while (end < rtf.size() && (rtf[end] == '-' || isDigit(rtf[end]))) ++end;
            if (end < rtf.size() && rtf[end] == ' ') ++end;
            at = end - 1;
            if (word == "uc") unicodeSkip = value;
            if (word == "u") {
                flush();
                const int unit = value < 0 ? value + 65536 : value;
                // A lone surrogate half is no character.
                utf8::append(out, unit >= 0xD800 && unit <= 0xDFFF ? U'\uFFFD' : static_cast<char32_t>(unit));
                skip = unicodeSkip;
            }
        }
    }
    flush();
    return text::trimBlanksAndTabs(out);
}

// The element's text in a small XML document ("" when absent), with the
// five predefined entities and character references decoded.
std::string elementText(const std::string& xml, const std::string& name) {
    std::size_t open = xml.find("<" + name);
    while (open != std::string::npos) {
        const char after = open + name.size() + 1 < xml.size() ? xml[open + name.size() + 1] : '\0';
        if (after == '>' || after == ' ') break;
        open = xml.find("<" + name, open + 1);
    }
    if (open == std::string::npos) return "";
    const std::size_t start = xml.find('>', open);
    const std::size_t end = xml.find("</" + name, start);
    if (start == std::string::npos || end == std::string::npos || xml[start - 1] == '/') return "";
    return text::trimBlanksAndTabs(text::decodeCharacterReferences(xml.substr(start + 1, end - start - 1)));
}

}  // namespace

DocumentProperties rtfProperties(const std::string& rtf) {
    DocumentProperties properties;
    const std::size_t info = rtf.find("{\\info");
    if (info == std::string::npos) return properties;
    const int codePage = numberAfter(rtf, "\\ansicpg", kWindowsLatin);
    const std::pair<const char*, std::string*> fields[] = {{"{\\title", &properties.title},
                                                           {"{\\author", &properties.author},
                                                           {"{\\subject", &properties.subject},
                                                           {"{\\keywords", &properties.keywords},
                                                           {"{\\company", &properties.publisher}};
    std::size_t end = info;
    (void)groupText(rtf, end, codePage);  // only where the group ends
    const std::string group = rtf.substr(info, end - info + 1);
    for (const auto& [word, field] : fields) {
        std::size_t at = group.find(word);
        // "{\title" must not match "{\titlepg" and the like.
        while (at != std::string::npos && at + std::string_view(word).size() < group.size() &&
               isLetter(group[at + std::string_view(word).size()]))
            at = group.find(word, at + 1);
        if (at != std::string::npos) *field = groupText(group, at, codePage);
    }
    return properties;
}

DocumentProperties xmlProperties(const std::string& core, const std::string& app) {
    DocumentProperties properties;
    properties.title = elementText(core, "dc:title");
    properties.author = elementText(core, "dc:creator");
    if (properties.author.empty()) properties.author = elementText(core, "meta:initial-creator");
    properties.subject = elementText(core, "dc:subject");
    properties.keywords = elementText(core, "cp:keywords");
    if (properties.keywords.empty()) properties.keywords = elementText(core, "meta:keyword");
    properties.language = elementText(core, "dc:language");
    properties.publisher = elementText(app, "Company");
    return properties;
}

DocumentProperties readDocumentProperties(const std::string& manuscript) {
    const std::string extension = paths::extension(manuscript);
    if (extension == "rtf") return rtfProperties(filePrefix(manuscript, kRtfPropertiesReach));
    if (extension != "docx" && extension != "odt") return {};
    int error = 0;
    zip_t* archive = zip_open(manuscript.c_str(), ZIP_RDONLY, &error);
    if (!archive) return {};
    const DocumentProperties properties =
        extension == "odt" ? xmlProperties(zipEntry(archive, "meta.xml"), "")
                           : xmlProperties(zipEntry(archive, "docProps/core.xml"), zipEntry(archive, "docProps/app.xml"));
    zip_close(archive);
    return properties;
}

bool fillFromProperties(BookInfo& fields, const DocumentProperties& properties, bool languageGiven) {
    bool filled = false;
    const auto fill = [&filled](std::string& field, const std::string& value) {
        if (!field.empty() || value.empty()) return;
        field = value;
        filled = true;
    };
    fill(fields.title, properties.title);
    fill(fields.author, properties.author);
    fill(fields.publisher, properties.publisher);
    fill(fields.genre, properties.subject.empty() ? properties.keywords : properties.subject);
    if (!languageGiven)
        if (const std::optional<std::string> stored = storedLanguage(properties.language)) {
            fields.language = *stored;
            filled = true;
        }
    return filled;
}

}  // namespace quillary::app
