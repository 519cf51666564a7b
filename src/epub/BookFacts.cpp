#include "epub/BookFacts.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "book/Languages.h"
#include "platform/Paths.h"

namespace quillary::epub {

std::string languageCode(const std::string& stored) { return languageTagOf(stored); }

std::string bookIdentifier(const std::string& isbn, const std::string& title, const std::string& author) {
    if (isbn != "urn:uuid:12345") return isbn;
    // Two FNV-1a hashes with different offsets give the 128 bits; the UUID
    // is marked version 8 (vendor-specific) with the RFC variant.
    auto fnv = [&](std::uint64_t hash) {
        for (char c : title + '\n' + author) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
        return hash;
    };
    std::uint64_t high = fnv(0xcbf29ce484222325ULL), low = fnv(0x84222325cbf29ce4ULL);
    high = (high & ~0xf000ULL) | 0x8000ULL;
    low = (low & ~(3ULL << 62)) | (2ULL << 62);
    char uuid[37];
    std::snprintf(uuid, sizeof uuid, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xffff), static_cast<unsigned>(high & 0xffff),
                  static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xffffffffffffULL));
    return std::string("urn:uuid:") + uuid;
}

std::string fillPlaceholders(std::string_view text, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string filled;
    filled.reserve(text.size() + text.size() / 4);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t dollar = text.find('$', at);
        if (dollar == std::string_view::npos) break;
        filled.append(text.substr(at, dollar - at));
        at = dollar;
        const auto match = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
            return text.substr(dollar).starts_with(entry.first) && !entry.first.empty();
        });
        if (match == values.end()) {
            filled += '$';
            ++at;
            continue;
        }
        filled += match->second;
        at += match->first.size();
    }
    filled.append(text.substr(std::min(at, text.size())));
    return filled;
}

// Book information arrives in publication form: markup characters escaped.
BookFacts bookFacts(const BookInfo& info, const std::string& coverName, const std::optional<std::string>& cover) {
    BookFacts facts;
    facts.title = info.title;
    facts.author = info.author;
    facts.publisher = info.publisher;
    facts.copyright = info.copyright;
    facts.date = info.date;
    facts.isbn = bookIdentifier(info.isbn, facts.title, facts.author);
    facts.genre = info.genre;
    facts.language = languageCode(info.language);
    facts.coverName = coverName;
    facts.coverExtension = cover ? paths::extension(*cover) : "png";
    facts.hasCover = cover.has_value();
    return facts;
}

}  // namespace quillary::epub
