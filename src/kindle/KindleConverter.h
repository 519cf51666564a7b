#pragma once
// Which program turns the Kindle package into a Kindle file on this machine.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Shell.h"
#include "platform/Workspace.h"

namespace quillary::kindle {

enum class ConverterKind { kindlegen, ebookConvert };

struct Converter {
    ConverterKind kind = ConverterKind::kindlegen;
    std::string path;  // the program to run
};

// `kindlegen` at `kindlegenPath` when a file is there; else calibre's
// `ebook-convert` when the workspace finds it; else nullopt. Asks the
// workspace port from the calling thread (the Kindle step's background
// thread included).
std::optional<Converter> findConverter(const std::string& kindlegenPath, Workspace& workspace);

// The command line that converts "NAMEKindle.epub" into "NAMEKindle.mobi",
// to run in the temporary folder.
std::string conversionCommand(const Converter& converter, std::string_view saveName);

// A large illustrated book takes kindlegen a few minutes on a slow machine;
// one that has not finished in ten has hung, and would otherwise hold the
// build (and the author's make command) for ever.
inline constexpr std::chrono::minutes kConversionTimeLimit{10};
// Printing the version banner is instant; a converter that hangs instead
// must not keep its check running for ever.
inline constexpr std::chrono::seconds kBannerTimeLimit{30};

// True when the converter's run may have made a whole Kindle file: it exited
// by itself with success. kindlegen's status 1 means "made, with warnings",
// which most real books give.
bool conversionSucceeded(ConverterKind kind, const ShellResult& result);

// "kindlegen" or "ebook-convert", for reports.
const char* converterName(ConverterKind kind);

}  // namespace quillary::kindle
