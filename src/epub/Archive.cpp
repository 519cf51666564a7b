#include "epub/Archive.h"

#include <libdeflate.h>
#include <zip.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

#include "epub/ArchiveFile.h"
#include "epub/AuthorFileEntry.h"
#include "epub/DeflatedEntry.h"

namespace quillary::epub::archive {

namespace {

// Reading systems detect an EPUB by the bytes at offset 30 of the file, so
// "mimetype" must be the first entry and must not be compressed.
constexpr const char* kMimetype = "mimetype";
// Entries carry plain rw-r--r-- Unix attributes whatever the process's
// umask was, so the same package always gives the same bytes.
constexpr zip_uint32_t kEntryAttributes = (S_IFREG | 0644u) << 16;

Failure<std::string> failed(const std::string& what, const std::string& detail) {
    return failure(detail.empty() ? what : what + ": " + detail);
}

// One entry of the archive: a page the build wrote, or an author's file.
struct Entry {
    std::string_view name;
    const PackageFile* page = nullptr;
    const AuthorFile* author = nullptr;
};

// "mimetype" first, the others in byte order of their names.
std::vector<Entry> entriesOf(const ArchiveFiles& files) {
    std::vector<Entry> entries;
    entries.reserve(files.written.size() + files.authors.size());
    for (const PackageFile* file : files.written) entries.push_back({file->name, file, nullptr});
    for (const AuthorFile* file : files.authors) entries.push_back({file->name, nullptr, file});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.name == kMimetype || b.name == kMimetype) return a.name == kMimetype && b.name != kMimetype;
        return a.name < b.name;
    });
    return entries;
}

// The early entry of `page`, when there is one that holds its bytes.
const DeflatedEntry* earlyEntryOf(const PackageFile& page, const EarlyEntries& early) {
    const auto found = early.find(page.name);
    if (found == early.end() || found->second.stored || found->second.size != page.bytes.size()) return nullptr;
    const std::uint32_t crc = libdeflate_crc32(0, page.bytes.data(), page.bytes.size());
    return crc == found->second.crc ? &found->second : nullptr;
}

// Every page deflated, in the order of `entries`: taken from the early ones
// where it can be, the rest deflated now. The author's files are not among
// them: they are read while the archive is written.
std::optional<std::vector<DeflatedEntry>> deflatedPages(const std::vector<Entry>& entries, const EarlyEntries& early) {
    std::vector<EntryContent> rest;
    std::vector<const DeflatedEntry*> taken;
    for (const Entry& entry : entries) {
        if (!entry.page) continue;
        taken.push_back(entry.name == kMimetype ? nullptr : earlyEntryOf(*entry.page, early));
        if (!taken.back()) rest.push_back({entry.page->bytes, entry.name == kMimetype});
    }
    std::optional<std::vector<DeflatedEntry>> made = deflateEntries(rest);
    if (!made) return std::nullopt;
    std::vector<DeflatedEntry> all;
    all.reserve(taken.size());
    std::size_t next = 0;
    for (const DeflatedEntry* entry : taken) all.push_back(entry ? *entry : std::move((*made)[next++]));
    return all;
}

std::string zipError(zip_t* archive) { return zip_strerror(archive); }

// An author's file that is not compressed yet (an SVG) is deflated by
// libzip as it is read, at zlib's best level: libdeflate would need it whole.
constexpr zip_uint32_t kBestLevel = 9;

bool addEntry(zip_t* archive, const Entry& entry, zip_source_t* source, time_t time, std::string& error) {
    const std::string name(entry.name);
    if (!source) {
        error = name + ": " + zipError(archive);
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        error = name + ": " + zipError(archive);
        return false;
    }
    const auto at = static_cast<zip_uint64_t>(index);
    const bool methodSet =
        !entry.author || (storedAsItIs(entry.author->mediaType)
                              ? zip_set_file_compression(archive, at, ZIP_CM_STORE, 0) == 0
                              : zip_set_file_compression(archive, at, ZIP_CM_DEFLATE, kBestLevel) == 0);
    const bool ok = methodSet &&
                    (entry.name != kMimetype || zip_set_file_compression(archive, at, ZIP_CM_STORE, 0) == 0) &&
                    zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX, kEntryAttributes) == 0 &&
                    zip_file_set_mtime(archive, at, time, 0) == 0;
    if (!ok) error = name + ": " + zipError(archive);
    return ok;
}

// A new, empty archive written into `file` when it is closed.
Result<zip_t*> openArchive(ArchiveFile& file) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = file.source(&error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_TRUNCATE, &error) : nullptr;
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    if (archive) return archive;
    if (source) zip_source_free(source);
    return failed("cannot create the archive", reason);
}

// Every entry added to `archive`, the pages already deflated, the author's
// files as sources that read them when the archive is closed.
Outcome addEntries(zip_t* archive, const std::vector<Entry>& entries, std::vector<DeflatedEntry>& pages,
                   AuthorFileReading& reading, std::time_t entryTime) {
    std::string error;
    std::size_t nextPage = 0;
    for (const Entry& entry : entries) {
        zip_source_t* source = entry.page ? deflatedSource(archive, std::move(pages[nextPage++]))
                                          : authorFileSource(archive, *entry.author, reading);
        if (!addEntry(archive, entry, source, entryTime, error)) return failed("cannot pack", error);
    }
    return {};
}

// The archive of `files` written into `file`.
Outcome pack(ArchiveFile& file, const ArchiveFiles& files, const AuthorFolder& authors, std::time_t entryTime,
             const EarlyEntries& early) {
    const std::vector<Entry> entries = entriesOf(files);
    if (entries.empty() || entries.front().name != kMimetype) return failure("the package has no mimetype file");
    std::optional<std::vector<DeflatedEntry>> pages = deflatedPages(entries, early);
    if (!pages) return failed("cannot pack", std::strerror(ENOMEM));
    Result<zip_t*> archive = openArchive(file);
    if (!archive) return failure(archive.reason());
    AuthorFileReading reading{authors.files, authors.path};
    if (Outcome added = addEntries(*archive, entries, *pages, reading, entryTime); !added) {
        zip_discard(*archive);
        return added;
    }
    if (zip_close(*archive) == 0) return {};
    // The cause the program knows best: the author's file, then the disk.
    const std::string reason = !reading.problem.empty() ? reading.problem
                               : file.writeFailure()    ? "cannot write the archive: " + *file.writeFailure()
                                                        : "cannot write the archive: " + zipError(*archive);
    zip_discard(*archive);
    return failure(reason);
}

}  // namespace

Result<std::string> archiveBytes(const ArchiveFiles& files, const AuthorFolder& authors, std::time_t entryTime,
                                 const EarlyEntries& early) {
    Result<ArchiveFile> file = ArchiveFile::inMemory();
    if (!file) return failure(file.reason());
    if (Outcome packed = pack(*file, files, authors, entryTime, early); !packed) return failure(packed.reason());
    std::optional<std::string> bytes = file->bytes();
    if (!bytes) return failed("cannot write the archive", "its bytes could not be read back");
    return std::move(*bytes);
}

Outcome writeArchive(const ArchiveFiles& files, const AuthorFolder& authors, const std::string& archivePath,
                     std::time_t entryTime, const EarlyEntries& early) {
    Result<ArchiveFile> file = ArchiveFile::besideOf(archivePath);
    if (!file) return failure(file.reason());
    if (Outcome packed = pack(*file, files, authors, entryTime, early); !packed) return packed;
    return file->publish();
}

}  // namespace quillary::epub::archive
