#pragma once
// Word (.doc, .docx) and OpenDocument (.odt) files reach the RTF reader
// through LibreOffice.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace conv {

// LibreOffice converts even a long manuscript in seconds (a few hundred pages
// in about ten on a slow two-core machine, a first start included); three
// minutes is far past any real conversion, yet stops a LibreOffice that hangs
// on a file before the author gives up on the build.
inline constexpr std::chrono::seconds kLibreOfficeTimeLimit{180};

// LibreOffice's address space peaks at about 1.1 GB converting 2.4 million
// words (400,000 paragraphs, two dozen long novels in one file). Nearly four
// times that is far past any real conversion, yet stops a document that
// inflates (a small .docx of millions of paragraphs) long before it takes
// the machine's memory.
inline constexpr std::uint64_t kLibreOfficeAddressSpace = std::uint64_t{4} << 30;

// A new profile takes about 1 MB, and LibreOffice needs room to work
// beside it: a first start that fails with less free than this on the
// profile's disk failed for want of space.
inline constexpr std::uint64_t kProfileRoom = std::uint64_t{64} << 20;

// How to run LibreOffice.
struct LibreOffice {
    std::string program;  // "" when none is installed
    std::chrono::milliseconds timeLimit = kLibreOfficeTimeLimit;  // for each start
    std::uint64_t addressSpace = kLibreOfficeAddressSpace;       // for each start
    std::uint64_t profileRoom = kProfileRoom;                     // on the profile's disk
    // The folder of the profile that LibreOffice keeps between runs; "" for a
    // fresh one in the conversion's own temporary folder.
    std::string profile;
};

// The LibreOffice program on PATH ("soffice", else "libreoffice"), or "" when
// none is installed.
std::string findLibreOffice();

// The LibreOffice on PATH with the user's profile for Quillary in
// $XDG_CACHE_HOME/Quillary (default ~/.cache/Quillary).
LibreOffice userLibreOffice();

// Converts the document at `path`, whose format has the usual extension
// `extension` ("doc", "docx", "odt"), to RTF with LibreOffice, in a private
// temporary folder that is removed afterwards. The profile is LibreOffice's
// alone (a LibreOffice the author has open never meets it), is used by one
// conversion at a time (others wait for it), and is made by a start of its
// own before the first conversion, because LibreOffice's first start in a
// fresh profile may end before it converts anything. A start that fails
// is tried once more, unless it failed at a limit or for want of disk space,
// where it would only fail again. Blocks until LibreOffice ends. The
// document as RTF, or why not as a sentence (which says when a limit was
// reached or the disk is full).
quillary::Result<std::string> importWordDocument(const std::string& path, const LibreOffice& office,
                                                 std::string_view extension = "doc");

struct LibreOfficeFailure {
    std::string reason;     // as a sentence
    bool final = false;     // another start would fail the same way (a hang, a limit, a full disk)
};

// Converts `content`, a document of the format that `extension` names, with
// LibreOffice's `--convert-to FILTER`, in the same way: the file it writes,
// whose extension is `resultExtension`, or why there is none.
quillary::Result<std::string, LibreOfficeFailure> convertWithLibreOffice(std::string_view content,
                                                                         std::string_view extension,
                                                                         std::string_view filter,
                                                                         std::string_view resultExtension,
                                                                         const LibreOffice& office);

}  // namespace conv
