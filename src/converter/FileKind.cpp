#include "converter/FileKind.h"

#include "converter/CompoundFile.h"

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

std::optional<std::string> wordHeader(std::string_view content) {
    if (!isCompoundFile(content)) return std::nullopt;
    std::optional<std::string> fib = readRootStream(content, "WordDocument", kFibBytesRead);
    if (!fib || fib->size() < kFibBytesRead) return std::nullopt;
    if (!fib->starts_with(kWord97Magic) && !fib->starts_with(kWord6Magic)) return std::nullopt;
    return fib;
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

std::string_view describeFileKind(FileKind kind) {
    switch (kind) {
    case FileKind::Rtf: return "rich text format (RTF)";
    case FileKind::WordDocument: return "Word format";
    case FileKind::PlainText: return "plain text";
    case FileKind::Unknown: break;
    }
    return "unknown";
}

}  // namespace conv
