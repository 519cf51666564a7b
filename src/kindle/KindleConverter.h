#pragma once
// Which program turns the Kindle package into a Kindle file on this machine.

#include <optional>
#include <string>
#include <string_view>

namespace quillary {
class VoveZedevir;
}

namespace quillary::kindle {

enum class ConverterKind { kindlegen, ebookConvert };

struct Converter {
    ConverterKind kind = ConverterKind::kindlegen;
    std::string path;  // the program to run
};

// `kindlegen` at the controller's converter location when a file is there;
// else calibre's `ebook-convert` when the workspace finds it; else nullopt.
// Asks the workspace port from the calling thread (the Kindle step's
// background thread included).
std::optional<Converter> findConverter(const VoveZedevir& controller);

// The command line that converts "NAMEKindle.epub" into "NAMEKindle.mobi",
// to run in the temporary folder.
std::string conversionCommand(const Converter& converter, std::string_view saveName);

// "kindlegen" or "ebook-convert", for reports.
const char* converterName(ConverterKind kind);

}  // namespace quillary::kindle
