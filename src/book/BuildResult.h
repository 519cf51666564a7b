#pragma once
// What a build made and found: the books, or why there are none, the
// problems of the manuscript, and how long each stage took. The front end
// makes its alerts, report or results view from it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Result.h"
#include "book/Problems.h"

namespace quillary {

// How long each stage of the EPUB took, for the benchmark.
struct StageTimes {
    using Span = std::chrono::microseconds;
    Span convert{}, normalise{}, assemble{}, documents{}, archive{};
};

// Why a build made no EPUB.
struct EpubFailure {
    enum class Kind {
        FormattingError,   // the manuscript is not a document: the author's to mend; `reason` says what the
                           // converter found, "" when it did not say
        TooLarge,          // the manuscript is larger than any the converter reads; `manuscriptBytes` says how large
        ConversionFailed,  // the converter could not convert it
        NotWritten,        // the book could not be made or written; `reason` says why
        Cancelled,         // the build was asked to stop
    };
    Kind kind = Kind::NotWritten;
    std::string reason;
    std::uint64_t manuscriptBytes = 0;
};

// Why a Kindle file asked for was not made.
enum class KindleFailure {
    NoConverter,       // neither kindlegen nor calibre's ebook-convert is installed
    ConversionFailed,  // the converter failed, or its package could not be written
    TimedOut,          // the converter outlived its time limit
    NotAKindleFile,    // the converter said it succeeded, but made no Kindle file
    DiskFull,          // the Kindle file did not fit beside the EPUB
    Stopped,           // the author stopped the build while the converter ran; the EPUB is made
};

// Where the book's chapters (its sections with contents entries) came from.
enum class ChapterSource {
    None,       // the manuscript has neither bookmark lines nor headings: no chapters
    Bookmarks,  // the author's "bookmark:" (or "srh:") lines
    Headings,   // no bookmark line at all, so the manuscript's heading styles
};

struct BuildResult {
    // The EPUB at the destination, or why there is none.
    Result<std::string, EpubFailure> epub = failure(EpubFailure{});
    // The Kindle file at the destination, or why there is none; nullopt when
    // none was asked for, or there is no EPUB to make it from.
    std::optional<Result<std::string, KindleFailure>> kindle;
    Problems problems;
    ChapterSource chapters = ChapterSource::None;
    int chapterLevel = 0;  // with Headings: the heading level (1 to 6) that opened the chapters
    StageTimes times;
};

}  // namespace quillary
