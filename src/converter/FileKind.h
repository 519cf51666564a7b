#pragma once
// What a file is, judged by its content rather than its name.

#include <cstddef>
#include <optional>
#include <string_view>

namespace conv {

enum class FileKind { Rtf, WordDocument, WordXml, OpenDocumentText, PlainText, Unknown };

// Rich text starts with "{\rtf" (after an optional byte-order mark and
// blanks); a Word document is an OLE2 compound file holding Word's own
// "WordDocument" stream (Word 6 and later); a Word XML document (.docx) is a
// zip archive holding "[Content_Types].xml" and "word/document.xml"; an
// OpenDocument text (.odt) is a zip archive whose first entry, "mimetype",
// names a text document; text is anything without control bytes other than
// tab, line ends and form feed. Any other compound file or archive (a
// spreadsheet, a mail) is Unknown.
FileKind detectFileKind(std::string_view content);

// The number of characters in a Word document's main text as its header
// records it (Word 97 and later), each paragraph end counting as one.
std::optional<std::size_t> wordTextLength(std::string_view content);

// Whether a Word document is encrypted, so that nothing can open it without
// its password.
bool wordNeedsPassword(std::string_view content);

// Whether only LibreOffice can turn a file of this kind into RTF for the
// reader: .doc and .odt, and .docx, which the converter reads itself unless
// told to take this road (Converter.h).
bool needsLibreOffice(FileKind kind);

// The extension LibreOffice expects for a kind it converts ("doc", "docx",
// "odt"); it reads the format partly by the name.
std::string_view libreOfficeExtension(FileKind kind);

// The words -info uses for a kind, such as "rich text format (RTF)".
std::string_view describeFileKind(FileKind kind);

}  // namespace conv
