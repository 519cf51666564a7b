#pragma once
// The Kindle file: the book's model rendered as the Kindle package (no cover
// page, a contents page always, the manuscript's lists as paragraphs),
// handed to the converter in a private folder, its output moved beside the
// EPUB.

#include <string>

#include "base/Result.h"
#include "book/BuildRequest.h"
#include "book/BuildResult.h"
#include "epub/BookFiles.h"
#include "kindle/KindleConverter.h"
#include "platform/Shell.h"

namespace quillary::kindle {

struct KindleJob {
    const epub::PackageModel& model;
    const epub::Templates& templates;
    const epub::Rendering& epubRendering;  // the EPUB's, which the Kindle package follows
    const BuildRequest& request;
    Converter converter;
};

// Where the Kindle step reaches outside its values; all outlive the step.
struct KindlePorts {
    Shell& shell;                     // runs the converter
    const AuthorFiles& authorFiles;   // the author's files the package packs
    const std::string& tempParent;    // where its private folder is made; empty: $TMPDIR or /tmp
    StopRequest stop{};               // the build's: the converter stops when it answers true
};

// Every file of the Kindle package.
epub::BookFiles kindlePackageFiles(const KindleJob& job);

// Makes the Kindle file at request.kindlePath() and answers its path. The
// earlier book there is replaced only by a whole new one. Any thread.
Result<std::string, KindleFailure> makeKindleBook(const KindleJob& job, const KindlePorts& ports);

}  // namespace quillary::kindle
