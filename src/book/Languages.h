#pragma once
// The languages a book may be written in, in the order of the window's list;
// the book information stores a language as its index here.

namespace quillary {

inline constexpr int kLanguageCount = 20;
extern const char* const languages[kLanguageCount];  // codes: "en", "ar", ...
extern const char* const langNames[kLanguageCount];  // English titles

}  // namespace quillary
