#include "converter/FileKind.h"

namespace conv {

FileKind detectFileKind(std::string_view content) {
    std::string_view start = content;
    if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
    while (!start.empty() && (start.front() == ' ' || start.front() == '\t' || start.front() == '\r' ||
                              start.front() == '\n'))
        start.remove_prefix(1);
    if (start.starts_with("{\\rtf")) return FileKind::Rtf;
    if (content.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return FileKind::WordDocument;
    for (char c : content) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != '\v')
            return FileKind::Unknown;
    }
    return FileKind::PlainText;
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
