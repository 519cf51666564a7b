#include "converter/Converter.h"

#include "base/Utf8.h"
#include "converter/CodePage.h"
#include "converter/DocxReader.h"
#include "converter/FileKind.h"
#include "converter/HtmlWriter.h"
#include "converter/PictureConversion.h"
#include "converter/RtfReader.h"
#include "converter/WordImport.h"

#include "platform/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>

namespace conv {

namespace {

bool readWholeFile(const std::string& path, std::string& content, std::string& error) {
    auto read =
        quillary::safefile::readWhole(path, {.maxBytes = kMaxManuscriptBytes, .insideFolder = {}, .ownedByUs = false});
    if (read) {
        content = std::move(*read);
        return true;
    }
    const bool tooLarge = read.reason().kind == quillary::safefile::Refusal::Kind::TooLarge;
    error = "It " + read.reason().reason + (tooLarge ? ", more than any manuscript needs." : ".");
    return false;
}

// File names on Linux are bytes, and so is what LibreOffice prints; the build
// reads our output only when it is UTF-8, so text in another encoding is
// shown with replacement characters rather than making a readable manuscript
// look unreadable.
std::string printable(const std::string& text) {
    std::string printable;
    TextDecoder decoder;
    decoder.decode(kUtf8CodePage, text, printable);
    return printable;
}

std::size_t paragraphCharacters(const Paragraph& paragraph) {
    std::size_t count = quillary::utf8::characterCount(paragraph.listText) + 1;
    for (const Inline& item : paragraph.inlines) {
        if (item.kind == Inline::Kind::Text) count += quillary::utf8::characterCount(item.text);
        if (item.kind == Inline::Kind::Tab || item.kind == Inline::Kind::LineBreak) ++count;
    }
    return count;
}

bool throughLibreOffice(FileKind kind) {
    return needsLibreOffice(kind) && (kind != FileKind::WordXml || std::getenv(kDocxThroughLibreOfficeVariable));
}

// The document of a file our readers read, nullopt for other files; a
// .docx that cannot be read fails with the reader's sentence.
quillary::Result<std::optional<Document>> readOurselves(const LoadedFile& loaded) {
    if (loaded.kind == FileKind::Rtf) {
        quillary::Result<Document> document = readRtf(loaded.content);
        if (!document) return quillary::failure(document.reason());
        return std::optional<Document>(std::move(*document));
    }
    if (loaded.kind != FileKind::WordXml || throughLibreOffice(loaded.kind)) return std::optional<Document>();
    quillary::Result<Document> document = readDocx(loaded.content);
    if (!document) return quillary::failure(document.reason());
    return std::optional<Document>(std::move(*document));
}

std::optional<std::size_t> lengthOf(const LoadedFile& loaded, const std::optional<Document>& read) {
    if (read) return characterCount(*read);
    switch (loaded.kind) {
    case FileKind::PlainText: return quillary::utf8::characterCount(loaded.content);
    case FileKind::WordDocument: return wordTextLength(loaded.content);
    default: break;
    }
    return std::nullopt;
}

Document plainTextDocument(std::string_view text) {
    Document document;
    TextDecoder decoder;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        Paragraph paragraph;
        Inline run;
        decoder.decode(kUtf8CodePage, text.substr(start, end - start), run.text);
        if (!run.text.empty()) paragraph.inlines.push_back(std::move(run));
        document.blocks.emplace_back(std::move(paragraph));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return document;
}

}  // namespace

std::string readingError(const std::string& path, std::string_view cause) {
    return "Error reading \"" + printable(path) + "\": " + std::string(cause);
}

// A word processor's document goes through LibreOffice (or our .docx
// reader) only when its HTML or its length is asked for.
LoadedFile loadFile(const std::string& path) {
    LoadedFile loaded;
    if (!readWholeFile(path, loaded.content, loaded.error)) return loaded;
    loaded.kind = detectFileKind(loaded.content);
    if (loaded.kind == FileKind::Unknown) loaded.error = "It is neither rich text, a Word document nor plain text.";
    if (loaded.kind == FileKind::WordDocument && wordNeedsPassword(loaded.content))
        loaded.error = "It is protected with a password; save a copy without one.";
    return loaded;
}

std::size_t characterCount(const Document& document) {
    std::size_t count = 0;
    for (const Block& block : document.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            count += paragraphCharacters(*paragraph);
            continue;
        }
        for (const Row& row : std::get<Table>(block).rows) {
            for (const Cell& cell : row.cells) {
                for (const Paragraph& paragraph : cell.paragraphs) count += paragraphCharacters(paragraph);
            }
        }
    }
    return count;
}

quillary::Result<std::optional<Document>> readInProcess(const LoadedFile& loaded) { return readOurselves(loaded); }

std::string rtfToHtml(std::string_view rtf) {
    return writeHtml(readRtf(rtf, std::numeric_limits<std::size_t>::max()).value());
}

std::string plainTextToHtml(std::string_view text) { return writeHtml(plainTextDocument(text)); }

Output describeFile(const std::string& path) {
    LoadedFile loaded = loadFile(path);
    if (!loaded.error.empty()) return quillary::failure(readingError(path, loaded.error));
    quillary::Result<std::optional<Document>> read = readOurselves(loaded);
    if (!read) return quillary::failure(readingError(path, read.reason()));
    std::string report = "File:  " + printable(path) + "\n";
    report += "  Type:  " + std::string(describeFileKind(loaded.kind)) + "\n";
    report += "  Size:  " + std::to_string(loaded.content.size()) + " bytes\n";
    if (std::optional<std::size_t> length = lengthOf(loaded, *read))
        report += "  Length:  " + std::to_string(*length) + " characters\n";
    return report;
}

Output convertFileToHtml(const std::string& path) {
    LoadedFile loaded = loadFile(path);
    if (!loaded.error.empty()) return quillary::failure(readingError(path, loaded.error));
    if (loaded.kind == FileKind::PlainText) return plainTextToHtml(loaded.content);
    Document document;
    if (!throughLibreOffice(loaded.kind)) {
        quillary::Result<std::optional<Document>> read = readOurselves(loaded);
        if (!read) return quillary::failure(readingError(path, read.reason()));
        document = std::move(read->value());
    } else {
        quillary::Result<std::string> imported =
            importWordDocument(path, userLibreOffice(), libreOfficeExtension(loaded.kind));
        if (!imported)
            return quillary::failure("Error converting \"" + printable(path) + "\": " + printable(imported.reason()));
        quillary::Result<Document> read = readRtf(*imported);
        if (!read) return quillary::failure(readingError(path, read.reason()));
        document = std::move(*read);
    }
    loaded.content = std::string();
    if (std::any_of(document.pictures.begin(), document.pictures.end(),
                    [](const Picture& picture) { return isConvertiblePictureFormat(picture.format); }))
        convertPictures(document, userLibreOffice());
    return writeHtml(document);
}

}  // namespace conv
