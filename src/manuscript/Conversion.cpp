#include "manuscript/Conversion.h"

#include "manuscript/RtfInProcess.h"
#include "base/ShellQuote.h"
#include "base/Text.h"
#include "controller/VoveZedevir.h"
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

ConversionVerdict judgeDocumentType(const ShellResult& info) {
    const std::optional<std::string>& output = info.output;
    if (!output) return ConversionVerdict::FormattingError;
    // The converter reports an unreadable file and then exits with an error:
    // its words, not its status, say that the manuscript is at fault.
    if (text::contains(*output, "Type:  plain text") || text::contains(*output, "Error reading"))
        return ConversionVerdict::FormattingError;
    return info.exitedCleanly() ? ConversionVerdict::Convert : ConversionVerdict::Failed;
}

ConversionVerdict judgeConversion(const ShellResult& html) {
    // Output that is not UTF-8 cannot be normalised: the conversion failed.
    if (!html.output || !html.exitedCleanly()) return ConversionVerdict::Failed;
    if (text::startsWith(*html.output, "Error ") || text::startsWith(*html.output, "/bin/sh"))
        return ConversionVerdict::Failed;
    return ConversionVerdict::Convert;
}

ShellResult VoveZedevir::executeShellCommandSynchronously(const std::string& commandLine,
                                                          const std::string& workingFolder,
                                                          std::optional<std::chrono::milliseconds> timeLimit) {
    return ports.shell.run(commandLine, workingFolder, timeLimit);
}

void VoveZedevir::extractHTML() {
    const auto converted = [this](const ShellResult& html) {
        if (judgeConversion(html) == ConversionVerdict::Failed) {
            postToMain(&VoveZedevir::extractFailed);
            return;
        }
        lines = splitConvertedLines(fixEncodings(*html.output, false));
        postToMain(&VoveZedevir::extractComplete);
    };
    if (locations.readRtfInProcess) {
        if (const std::optional<ShellResult> html = convertRtfInProcess(theFile)) return converted(*html);
    }
    const std::string& converter = locations.textutilPath;
    const auto info = executeShellCommandSynchronously(converterCommand(converter, "-info", theFile));
    const ConversionVerdict type = judgeDocumentType(info);
    if (type != ConversionVerdict::Convert) {
        postToMain(type == ConversionVerdict::FormattingError ? &VoveZedevir::formattingError
                                                              : &VoveZedevir::extractFailed);
        return;
    }
    converted(executeShellCommandSynchronously(converterCommand(converter, "-convert html -stdout -strip", theFile)));
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
