#pragma once
// An author's file as an entry of the archive, read from its folder in
// pieces while libzip writes the entry, so that a book of large pictures
// and films never holds one of them whole.

#include <zip.h>

#include <string>
#include <string_view>

#include "epub/PackageFile.h"
#include "platform/AuthorFiles.h"

namespace quillary::epub::archive {

// Whether a file of this media type is stored as it is: pictures, sound and
// film that are compressed already gain nothing from deflating, which would
// only cost time.
bool storedAsItIs(std::string_view mediaType);

// Where the author's files are read from, and the first reason one of them
// could not be packed ("cannot pack photo.png: does not exist"), which the
// sources write and the archive reports.
struct AuthorFileReading {
    const AuthorFiles& files;
    std::string folder;
    std::string problem{};
};

// A source that reads `file` through `reading.files` when libzip opens it.
// It fails the archive (and sets `reading.problem`) when the file cannot be
// opened or read, or is no longer the file the build looked at: its size or
// its first bytes differ, or it shrinks or grows while it is read. `file`
// and `reading` must outlive the archive. nullptr when it cannot be made;
// otherwise the archive owns it once added (free it with zip_source_free if
// adding fails).
zip_source_t* authorFileSource(zip_t* archive, const AuthorFile& file, AuthorFileReading& reading);

}  // namespace quillary::epub::archive
