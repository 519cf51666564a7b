#pragma once
// The conversion of a rich-text or Word XML manuscript without the
// converter program.

#include <optional>
#include <string>

#include "platform/Shell.h"

namespace quillary::manuscript {

// What `-convert html -stdout -strip` would have printed for `manuscript`,
// made by the converter's readers in this process: one read and one parse,
// where the program is started twice and reads the file twice. nullopt when
// the manuscript is left to the program: its name does not end in .rtf or
// .docx, or the converter does not read it in process (conv::readInProcess).
// A file the readers refuse gives the program's `Error reading` report and
// exit status 1. As from the shell, the output is nullopt when it is not
// UTF-8. Any thread.
std::optional<ShellResult> convertRtfInProcess(const std::string& manuscript);

}  // namespace quillary::manuscript
