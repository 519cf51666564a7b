// Reading an EPUB that is already there: which book it says it is, and
// what its pages hold.
#include "epub/Archive.h"

#include <zip.h>

#include <memory>

namespace quillary::epub::archive {

namespace {

// A package document is small; anything claiming more is not ours.
constexpr zip_uint64_t kLargestDocument = 16u << 20;

std::optional<std::string> entryText(zip_t* archive, const std::string& name, zip_uint64_t largest) {
    zip_stat_t info;
    if (zip_stat(archive, name.c_str(), 0, &info) != 0 || !(info.valid & ZIP_STAT_SIZE)) return std::nullopt;
    if (info.size > largest) return std::nullopt;
    zip_file_t* file = zip_fopen(archive, name.c_str(), 0);
    if (!file) return std::nullopt;
    std::string text(static_cast<std::size_t>(info.size), '\0');
    const zip_int64_t n = zip_fread(file, text.data(), info.size);
    zip_fclose(file);
    if (n < 0 || static_cast<zip_uint64_t>(n) != info.size) return std::nullopt;
    return text;
}

// The value of the first `attribute="..."` at or after `from`.
std::optional<std::string> attributeValue(const std::string& text, const std::string& attribute,
                                          std::size_t from = 0) {
    const std::string opening = attribute + "=\"";
    const std::size_t at = text.find(opening, from);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t start = at + opening.size();
    const std::size_t end = text.find('"', start);
    if (end == std::string::npos) return std::nullopt;
    return text.substr(start, end - start);
}

}  // namespace

std::optional<std::string> packageIdentifier(const std::string& archivePath) {
    int code = 0;
    zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &code);
    if (!archive) return std::nullopt;
    std::optional<std::string> identifier;
    const auto container = entryText(archive, "META-INF/container.xml", kLargestDocument);
    const auto packagePath = container ? attributeValue(*container, "full-path") : std::nullopt;
    const auto document = packagePath ? entryText(archive, *packagePath, kLargestDocument) : std::nullopt;
    const std::size_t packageTag = document ? document->find("<package") : std::string::npos;
    const auto id = packageTag != std::string::npos ? attributeValue(*document, "unique-identifier", packageTag)
                                                    : std::nullopt;
    const std::size_t element = id ? document->find("id=\"" + *id + "\"") : std::string::npos;
    const std::size_t start = element != std::string::npos ? document->find('>', element) : std::string::npos;
    const std::size_t end = start != std::string::npos ? document->find('<', start) : std::string::npos;
    if (end != std::string::npos) identifier = document->substr(start + 1, end - start - 1);
    zip_discard(archive);
    return identifier;
}

std::vector<std::optional<std::string>> entryTexts(const std::string& archivePath,
                                                   const std::vector<std::string>& names, std::uint64_t largest) {
    std::vector<std::optional<std::string>> texts(names.size());
    if (names.empty()) return texts;
    int code = 0;
    const std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(archivePath.c_str(), ZIP_RDONLY, &code),
                                                                 &zip_discard);
    if (!archive) return texts;
    for (std::size_t i = 0; i < names.size(); ++i) texts[i] = entryText(archive.get(), names[i], largest);
    return texts;
}

}  // namespace quillary::epub::archive
