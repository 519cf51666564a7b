#include "book/Languages.h"

namespace quillary {

const char* const languages[kLanguageCount] = {
    "en", "ar", "zh", "da", "nl", "fi", "fr", "de", "el", "he",
    "it", "ja", "ko", "no", "pl", "pt", "ru", "es", "sv", "tr"};

const char* const langNames[kLanguageCount] = {
    "English", "Arabic",  "Chinese",   "Danish",  "Dutch",  "Finnish", "French",
    "German",  "Greek",   "Hebrew",    "Italian", "Japanese", "Korean", "Norwegian",
    "Polish",  "Portuguese", "Russian", "Spanish", "Swedish", "Turkish"};

}  // namespace quillary
