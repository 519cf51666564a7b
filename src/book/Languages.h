#pragma once
// The languages a book may be written in. Twenty of them make the window's
// quick list, in its order, and the book information stores one of those as
// its index there; any other language is stored as its BCP 47 tag.

#include <optional>
#include <string>
#include <string_view>

namespace quillary {

inline constexpr int kLanguageCount = 20;
extern const char* const languages[kLanguageCount];      // codes: "en", "ar", ...
extern const char* const langNames[kLanguageCount];      // English titles
extern const char* const nativeLangNames[kLanguageCount];  // each in its own language, UTF-8

// True when `tag` is a well-formed BCP 47 language tag (RFC 5646, section
// 2.1: language, extlang, script, region, variants, extensions, private
// use), whether or not its subtags are registered. The irregular
// grandfathered tags ("i-klingon") are not accepted.
bool isWellFormedLanguageTag(std::string_view tag);

// The tag with each subtag in its conventional case: language lower,
// script title, region upper ("EN-gb" -> "en-GB", "sr-latn" -> "sr-Latn").
// `tag` must be well-formed.
std::string canonicalCase(std::string_view tag);

// The stored form of a language the author gave: the index in the quick
// list for one of its twenty codes ("fr" -> "6"), else the tag in its
// conventional case ("pt-br" -> "pt-BR"); nullopt when `tag` is not a
// well-formed tag.
std::optional<std::string> storedLanguage(std::string_view tag);

// The tag a book states for a stored language: an index of the quick list
// is its code, a well-formed tag is itself, anything else is "en". Blanks
// around it are ignored.
std::string languageTagOf(std::string_view stored);

// The index in the quick list a stored language names ("7"; a number past
// the list, or text that is no tag, is 0), or nullopt when it is stored as a
// tag of its own.
std::optional<int> quickListIndex(std::string_view stored);

// True for a tag whose primary language is written from right to left
// (Arabic, Hebrew, Persian, Urdu, Yiddish, and a few more).
bool isRightToLeftLanguage(std::string_view tag);

}  // namespace quillary
