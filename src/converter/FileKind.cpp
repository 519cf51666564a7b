#include "converter/FileKind.h"

#include "converter/CompoundFile.h"

#include <algorithm>
#include <optional>
#include <string>

namespace conv {

namespace {

// The start of Word's File Information Block: its magic number tells the
// format's generation, and Word 97's holds the main text's length at 0x4C.
constexpr std::size_t kFibBytesRead = 0x50;
constexpr std::string_view kWord97Magic{"\xEC\xA5", 2};
constexpr std::string_view kWord6Magic{"\xDC\xA5", 2};
constexpr std::size_t kWord97TextLengthAt = 0x4C;
constexpr std::size_t kFlagsAt = 0x0A;
constexpr unsigned char kEncryptedFlag = 0x01;  // in the flags' second byte

// A zip archive starts with a local file header; an OpenDocument file's first
// entry is "mimetype", stored, so its name and content stand at fixed places.
constexpr std::string_view kZipSignature{"PK\x03\x04", 4};
constexpr std::size_t kFirstEntryNameAt = 30;
constexpr std::string_view kOpenDocumentTextType = "mimetypeapplication/vnd.oasis.opendocument.text";

std::optional<std::string> wordHeader(std::string_view content) {
    if (!isCompoundFile(content)) return std::nullopt;
    std::optional<std::string> fib = readRootStream(content, "WordDocument", kFibBytesRead);
    if (!fib || fib->size() < kFibBytesRead) return std::nullopt;
    if (!fib->starts_with(kWord97Magic) && !fib->starts_with(kWord6Magic)) return std::nullopt;
    return fib;
}

// Entry names stand in the archive's local headers and again in its central
// directory, both uncompressed, so a search of the bytes finds them.
std::optional<FileKind> zipDocumentKind(std::string_view content) {
    if (!content.starts_with(kZipSignature)) return std::nullopt;
    if (content.substr(std::min(kFirstEntryNameAt, content.size())).starts_with(kOpenDocumentTextType))
        return FileKind::OpenDocumentText;
    if (content.find("[Content_Types].xml") != std::string_view::npos &&
        content.find("word/document.xml") != std::string_view::npos)
        return FileKind::WordXml;
    return FileKind::Unknown;
}

}  // namespace

FileKind detectFileKind(std::string_view content) {
    std::string_view start = content;
    if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
    while (!start.empty() && (start.front() == ' ' || start.front() == '\t' || start.front() == '\r' ||
                              start.front() == '\n'))
        start.remove_prefix(1);
    if (start.starts_with("{\\rtf")) return FileKind::Rtf;
    if (isCompoundFile(content)) return wordHeader(content) ? FileKind::WordDocument : FileKind::Unknown;
    if (std::optional<FileKind> kind = zipDocumentKind(content)) return *kind;
    for (char c : content) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != '\v')
            return FileKind::Unknown;
    }
    return FileKind::PlainText;
}

std::optional<std::size_t> wordTextLength(std::string_view content) {
    std::optional<std::string> fib = wordHeader(content);
    if (!fib || !fib->starts_with(kWord97Magic)) return std::nullopt;
    std::size_t length = 0;
    for (std::size_t i = 4; i-- > 0;) length = length << 8 | static_cast<unsigned char>((*fib)[kWord97TextLengthAt + i]);
    return length;
}

bool wordNeedsPassword(std::string_view content) {
    std::optional<std::string> fib = wordHeader(content);
    return fib && (static_cast<unsigned char>((*fib)[kFlagsAt + 1]) & kEncryptedFlag);
}

bool needsLibreOffice(FileKind kind) { return !libreOfficeExtension(kind).empty(); }

std::string_view libreOfficeExtension(FileKind kind) {
    switch (kind) {
    case FileKind::WordDocument: return "doc";
    case FileKind::WordXml: return "docx";
    case FileKind::OpenDocumentText: return "odt";
    default: return {};
    }
}

std::string_view describeFileKind(FileKind kind) {
    switch (kind) {
    case FileKind::Rtf: return "rich text format (RTF)";
    case FileKind::WordDocument: return "Word format";
    case FileKind::WordXml: return "Word XML format (.docx)";
    case FileKind::OpenDocumentText: return "OpenDocument text (.odt)";
    case FileKind::PlainText: return "plain text";
    case FileKind::Unknown: break;
    }
    return "unknown";
}

}  // namespace conv
