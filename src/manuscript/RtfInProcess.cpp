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
    conv::LoadedFile loaded = conv::loadFile(manuscript);
    if (!loaded.error.empty()) return std::nullopt;
    const std::optional<conv::Document> document = conv::readInProcess(loaded);
    if (!document) return std::nullopt;
    // A long manuscript is held once at a time: its bytes go once they are read.
    loaded.content = std::string();
    std::string html = conv::writeHtml(*document);
    ShellResult converted;
    if (utf8::isValid(html)) converted.output = std::move(html);
    return converted;
}

}  // namespace quillary::manuscript
