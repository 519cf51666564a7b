#pragma once
// The conversion of the manuscript into HTML, and its decisions as pure
// functions of the converter's output.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "converter/Converter.h"
#include "platform/Shell.h"

namespace quillary::manuscript {

enum class ConversionVerdict { Convert, FormattingError, Failed };

// The command line that runs the converter on the manuscript: both paths
// stand between double quotes with the shell's special characters escaped.
std::string converterCommand(const std::string& converter, const std::string& arguments,
                             const std::string& manuscript);

// What the document-type report says: a plain-text or unreadable manuscript
// (or a report that is not UTF-8) is a formatting error; a converter that
// did not exit cleanly without saying so is a failed conversion.
ConversionVerdict judgeDocumentType(const ShellResult& info);
// What the conversion says: an error report, a shell that could not run the
// converter, output that is not UTF-8, or a converter that did not exit
// cleanly (its output may stop anywhere) is a failed conversion.
ConversionVerdict judgeConversion(const ShellResult& html);

// The largest manuscript converted: a larger one is TooLarge, not read at all.
inline constexpr std::uint64_t kMaxManuscriptBytes = conv::kMaxManuscriptBytes;

// Why a manuscript gave no HTML: it is too large to read, it is not a
// document (a formatting error, the author's to mend), or its conversion
// failed.
struct ConversionFailure {
    enum class Kind { FormattingError, Failed, TooLarge };
    Kind kind = Kind::Failed;
    // For a formatting error, the converter's sentence on what it found
    // ("It is protected with a password; ..."); "" when it gave none.
    std::string cause;
};

// The converter's sentence after its `Error reading "MANUSCRIPT": `, ""
// when its output holds none.
std::string readingCause(const ShellResult& result, const std::string& manuscript);

// How a manuscript is converted: by the RTF reader in this process where it
// can, else by the converter program through the shell.
struct ConversionRoute {
    Shell& shell;
    std::string textutilPath;
    bool readRtfInProcess = false;
    StopRequest stop{};  // the build's: a converter that runs stops when it answers true
};

// The manuscript as HTML, or why there is none. A converter that reports
// an error reading the manuscript, at either step, names a formatting
// error. Any thread.
Result<std::string, ConversionFailure> convertManuscript(const std::string& manuscript, const ConversionRoute& route);

// Every LF, CR, VT and FF ends a line, each on its own, so "a\r\nb" gives
// "a", "", "b".
std::vector<std::string> splitConvertedLines(const std::string& html);

}  // namespace quillary::manuscript
