#include "manuscript/Conversion.h"

#include "manuscript/RtfInProcess.h"
#include "base/ShellQuote.h"
#include "base/Text.h"

#include <filesystem>

namespace quillary::manuscript {

namespace {

// The HTML of the largest manuscript the converter accepts, several times
// over; a converter printing more has gone wrong.
constexpr std::size_t kConvertedHtmlLimit = std::size_t{1} << 30;

}  // namespace

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
    // Output that is not UTF-8, or not whole, cannot be normalised: the
    // conversion failed.
    if (!html.output || !html.exitedCleanly() || html.cutBytes > 0) return ConversionVerdict::Failed;
    if (text::startsWith(*html.output, "Error ") || text::startsWith(*html.output, "/bin/sh"))
        return ConversionVerdict::Failed;
    return ConversionVerdict::Convert;
}

std::string readingCause(const ShellResult& result, const std::string& manuscript) {
    if (!result.output) return {};
    const std::string_view output = *result.output;
    // The whole opening, name included, so that no name can end it early.
    const std::string opening = conv::readingError(manuscript, "");
    const std::size_t found = output.find(opening);
    if (found == std::string_view::npos) return {};
    const std::size_t start = found + opening.size();
    const std::size_t lineEnd = output.find('\n', start);
    return text::trimBlanksAndTabs(output.substr(start, lineEnd == std::string_view::npos ? output.npos : lineEnd - start));
}

Result<std::string, ConversionFailure> convertManuscript(const std::string& manuscript,
                                                       const ConversionRoute& route) {
    using Kind = ConversionFailure::Kind;
    const auto converted = [&manuscript](const ShellResult& html) -> Result<std::string, ConversionFailure> {
        // A converter that reads the file only to convert it (a Word
        // document) finds what it cannot read at this step. Looked for in a
        // failed run only: a whole book's HTML is not searched for it.
        if (!html.exitedCleanly())
            if (std::string cause = readingCause(html, manuscript); !cause.empty())
                return failure(ConversionFailure{Kind::FormattingError, std::move(cause)});
        if (judgeConversion(html) == ConversionVerdict::Failed) return failure(ConversionFailure{Kind::Failed, {}});
        return std::move(*html.output);
    };
    // Asked before either road: the program would refuse the file with the
    // words of an unreadable one, and the author would look for the wrong fault.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(manuscript, error);
    if (!error && size > kMaxManuscriptBytes) return failure(ConversionFailure{Kind::TooLarge, {}});
    if (route.readRtfInProcess) {
        if (const std::optional<ShellResult> html = convertRtfInProcess(manuscript)) return converted(*html);
    }
    const ShellResult info =
        route.shell.run(converterCommand(route.textutilPath, "-info", manuscript), {}, {}, kShellOutputLimit, route.stop);
    switch (judgeDocumentType(info)) {
        case ConversionVerdict::FormattingError:
            return failure(ConversionFailure{Kind::FormattingError, readingCause(info, manuscript)});
        case ConversionVerdict::Failed: return failure(ConversionFailure{Kind::Failed, {}});
        case ConversionVerdict::Convert: break;
    }
    return converted(route.shell.run(converterCommand(route.textutilPath, "-convert html -stdout -strip", manuscript),
                                     {}, {}, kConvertedHtmlLimit, route.stop));
}

}  // namespace quillary::manuscript
