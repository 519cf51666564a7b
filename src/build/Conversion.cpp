#include "build/Conversion.h"

#include "build/ShellQuote.h"
#include "build/Text.h"
#include "build/VoveZedevir.h"
#include "platform/Paths.h"

namespace quillary {

std::string converterCommand(const std::string& converter, const std::string& arguments,
                             const std::string& manuscript) {
    return "\"" + shellQuoteDouble(converter) + "\" " + arguments + " \"" +
           shellQuoteDouble(manuscript) + "\"";
}

std::vector<std::string> splitConvertedLines(const std::string& html) {
    std::vector<std::string> pieces;
    pieces.reserve(html.size() / 40 + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            pieces.emplace_back(html, start, i - start);
            start = i + 1;
        }
    }
    pieces.emplace_back(html, start, std::string::npos);
    return pieces;
}

ConversionVerdict judgeDocumentType(const std::optional<std::string>& infoOutput) {
    if (!infoOutput) return ConversionVerdict::FormattingError;
    if (text::contains(*infoOutput, "Type:  plain text") || text::contains(*infoOutput, "Error reading"))
        return ConversionVerdict::FormattingError;
    return ConversionVerdict::Convert;
}

ConversionVerdict judgeConversion(const std::optional<std::string>& htmlOutput) {
    // Output that is not UTF-8 cannot be normalised: the conversion failed.
    if (!htmlOutput) return ConversionVerdict::Failed;
    if (text::startsWith(*htmlOutput, "Error ") || text::startsWith(*htmlOutput, "/bin/sh"))
        return ConversionVerdict::Failed;
    return ConversionVerdict::Convert;
}

std::optional<std::string> VoveZedevir::executeShellCommandSynchronously(
    const std::string& commandLine, const std::string& workingFolder) {
    return ports.shell.run(commandLine, workingFolder);
}

void VoveZedevir::extractHTML() {
    const std::string& converter = locations.textutilPath;
    const auto info = executeShellCommandSynchronously(converterCommand(converter, "-info", theFile));
    if (judgeDocumentType(info) == ConversionVerdict::FormattingError) {
        postToMain(&VoveZedevir::formattingError);
        return;
    }
    const auto html = executeShellCommandSynchronously(
        converterCommand(converter, "-convert html -stdout -strip", theFile));
    if (judgeConversion(html) == ConversionVerdict::Failed) {
        postToMain(&VoveZedevir::extractFailed);
        return;
    }
    lines = splitConvertedLines(fixEncodings(*html, false));
    postToMain(&VoveZedevir::extractComplete);
}

void VoveZedevir::extractFailed() {
    hideBuildProgress();
    showSimpleAlert("MakeFailTitle", "MakeFailMsg", {}, {paths::lastComponent(theFile)});
    endBuild();
}

void VoveZedevir::formattingError() {
    hideBuildProgress();
    const std::string name = paths::lastComponent(theFile);
    showSimpleAlert("FormattingErrTitle", "FormattingErrMsg", {name}, {name});
    endBuild();
}

}  // namespace quillary
