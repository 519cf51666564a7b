#pragma once
// What a file is, judged by its content rather than its name.

#include <string_view>

namespace conv {

enum class FileKind { Rtf, WordDocument, PlainText, Unknown };

// Rich text starts with "{\rtf" (after an optional byte-order mark and
// blanks); a Word document is an OLE2 compound file; text is anything
// without control bytes other than tab, line ends and form feed.
FileKind detectFileKind(std::string_view content);

// The words -info uses for a kind, such as "rich text format (RTF)".
std::string_view describeFileKind(FileKind kind);

}  // namespace conv
