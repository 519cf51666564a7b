#pragma once
// Windows language ids, as RTF's \lang, \langfe, \alang and \deflang give
// them, and the BCP 47 tags a book states its language in.

#include <string_view>

namespace conv {

// The tag of a language id (1036 gives "fr-FR", 2057 "en-GB"); "" for the
// ids that mean no language (0, 1024 "none") and for those not in the table,
// which holds the languages word processors are written in.
std::string_view languageTag(int id);

}  // namespace conv
