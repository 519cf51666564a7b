#pragma once
// The converter's two services, as the quillary-textutil program offers them.

#include "base/Result.h"
#include "converter/Document.h"
#include "converter/FileKind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace conv {

// A million-word novel is about 20 MB of RTF. Six times that leaves room for
// the bulk some word processors write and for pictures pasted into the
// text; a larger file is not a manuscript, and reading it would only take
// memory the rest of the machine needs.
inline constexpr std::uint64_t kMaxManuscriptBytes = std::uint64_t{128} << 20;

// What the program prints: the report or the HTML; otherwise a message that starts with "Error "
// and names the cause.
using Output = quillary::Result<std::string>;

// A file read whole and judged by its content, not converted. `error`, when
// not empty, says why nothing can be made of it (missing, unreadable, not a
// regular file, larger than kMaxManuscriptBytes, of no known kind,
// protected with a password); -info and -convert then give an "Error
// reading" message. Only a regular file is read: a named pipe or a device
// is refused without being opened.
struct LoadedFile {
    FileKind kind = FileKind::Unknown;
    std::string content;
    std::string error;
};
LoadedFile loadFile(const std::string& path);

// The -info report: a "File:" line, then indented "Type:", "Size:" and (when
// known) "Length:" lines, from the file's content alone: a Word document is
// not converted for it. Missing, unreadable and unknown files give an
// "Error reading" message.
Output describeFile(const std::string& path);

// The whole HTML of the document at `path`: RTF and Word XML (.docx) read
// directly, other Word files and OpenDocument through LibreOffice (whose
// failure gives an "Error converting" message), plain text one paragraph
// per line. Pictures in metafile and bitmap formats go through LibreOffice
// to become PNG (see convertPictures).
Output convertFileToHtml(const std::string& path);

// Set to anything, this variable of the environment sends .docx files
// through LibreOffice as before the converter read them itself, so that
// books made both ways can be compared.
inline constexpr const char* kDocxThroughLibreOfficeVariable = "QUILLARY_DOCX_VIA_LIBREOFFICE";

// The document of a loaded file that the converter reads without
// LibreOffice (rich text, and Word XML unless the variable above is set);
// nullopt for any other file. A document it cannot read (a broken .docx, an
// RTF of too many pieces) fails with the reader's sentence.
quillary::Result<std::optional<Document>> readInProcess(const LoadedFile& loaded);

// The message -info and -convert give for a file they cannot read:
// `Error reading "PATH": CAUSE`, the path shown as UTF-8.
std::string readingError(const std::string& path, std::string_view cause);

// The same for content already in memory (Word files excepted), which the
// caller holds: the limit on a document's pieces is not applied.
std::string rtfToHtml(std::string_view rtf);
std::string plainTextToHtml(std::string_view text);

// The number of characters of text in a document, each paragraph end, tab
// and line break counting as one.
std::size_t characterCount(const Document& document);

}  // namespace conv
