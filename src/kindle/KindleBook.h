#pragma once
// The Kindle file: the book's model rendered as the Kindle package (no cover
// page, a contents page always, the manuscript's lists as paragraphs),
// handed to the converter in a private folder, its output moved beside the
// EPUB.

#include <string>

#include "book/BuildRequest.h"
#include "epub/PackageModel.h"
#include "epub/PackageWriters.h"
#include "kindle/KindleConverter.h"
#include "platform/FileWriter.h"
#include "platform/Shell.h"

namespace quillary::kindle {

enum class KindleOutcome { Made, Failed, TimedOut };

struct KindleJob {
    const package::PackageModel& model;
    const package::Templates& templates;
    const package::Rendering& epubRendering;  // the EPUB's, which the Kindle package follows
    const BuildRequest& request;
    Converter converter;
};

// Every file of the Kindle package.
package::BookFiles kindlePackageFiles(const KindleJob& job);

// Makes the Kindle file at request.kindlePath(). The earlier book there is
// replaced only by a whole new one. Any thread.
KindleOutcome makeKindleBook(const KindleJob& job, Shell& shell, FileWriter& writer, const std::string& tempParent);

}  // namespace quillary::kindle
