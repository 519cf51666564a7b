#include "manuscript/RtfInProcess.h"

#include "base/Text.h"
#include "converter/Converter.h"
#include "converter/HtmlWriter.h"
#include "platform/Paths.h"
#include "base/Utf8.h"

namespace quillary::manuscript {

std::optional<ShellResult> convertRtfInProcess(const std::string& manuscript) {
    // Word documents go through LibreOffice in the program, and the words of
    // its reports decide how a manuscript is refused: both stay there.
    const std::string extension = paths::extension(manuscript);
    if (!text::equalsIgnoringCase(extension, "rtf") && !text::equalsIgnoringCase(extension, "docx")) return std::nullopt;
    // A file the reader refuses is answered as the program answers it, so
    // that the build judges both roads by the same words.
    const auto refused = [&manuscript](std::string_view cause) {
        return ShellResult{conv::readingError(manuscript, cause) + "\n", ShellResult::End::Exited, 1};
    };
    conv::LoadedFile loaded = conv::loadFile(manuscript);
    if (!loaded.error.empty()) return refused(loaded.error);
    const Result<std::optional<conv::Document>> document = conv::readInProcess(loaded);
    if (!document) return refused(document.reason());
    if (!*document) return std::nullopt;
    // A long manuscript is held once at a time: its bytes go once they are read.
    loaded.content = std::string();
    std::string html = conv::writeHtml(**document);
    ShellResult converted;
    if (utf8::isValid(html)) converted.output = std::move(html);
    return converted;
}

}  // namespace quillary::manuscript
