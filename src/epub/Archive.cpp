#include "epub/Archive.h"

#include <libdeflate.h>
#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "epub/DeflatedEntry.h"
#include "platform/Files.h"
#include "platform/Paths.h"

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

// One entry of the archive: its name and its bytes.
struct Entry {
    std::string_view name;
    std::string_view bytes;
};

// "mimetype" first, the others in byte order of their names.
void sortForTheArchive(std::vector<Entry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.name == kMimetype || b.name == kMimetype) return a.name == kMimetype && b.name != kMimetype;
        return a.name < b.name;
    });
}

// Every file's entry; the author's files are read into `read`, which holds
// their bytes while the archive is made.
Result<std::vector<Entry>> entriesOf(const ArchiveFiles& files, const AuthorFolder& authors,
                                     std::deque<std::string>& read) {
    std::vector<Entry> entries;
    entries.reserve(files.written.size() + files.authors.size());
    for (const PackageFile* file : files.written) entries.push_back({file->name, file->bytes});
    for (const AuthorFile* file : files.authors) {
        Result<std::unique_ptr<ByteSource>> source = authors.files.open(authors.path, file->source);
        Result<std::string> bytes = source ? readAll(**source) : Result<std::string>(failure(source.reason()));
        if (!bytes) return failed("cannot pack " + file->source, bytes.reason());
        entries.push_back({file->name, read.emplace_back(std::move(*bytes))});
    }
    sortForTheArchive(entries);
    return entries;
}

// The early entry of `entry`, when there is one that holds its bytes.
const DeflatedEntry* earlyEntryOf(const Entry& entry, const EarlyEntries& early) {
    const auto found = early.find(std::string(entry.name));
    if (found == early.end() || found->second.stored || found->second.size != entry.bytes.size()) return nullptr;
    const std::uint32_t crc = libdeflate_crc32(0, entry.bytes.data(), entry.bytes.size());
    return crc == found->second.crc ? &found->second : nullptr;
}

// Every entry deflated: taken from the early ones where it can be, the rest
// deflated now.
std::optional<std::vector<DeflatedEntry>> deflated(const std::vector<Entry>& entries, const EarlyEntries& early) {
    std::vector<EntryContent> rest;
    std::vector<const DeflatedEntry*> taken;
    for (const Entry& entry : entries) {
        taken.push_back(entry.name == kMimetype ? nullptr : earlyEntryOf(entry, early));
        if (!taken.back()) rest.push_back({entry.bytes, entry.name == kMimetype});
    }
    std::optional<std::vector<DeflatedEntry>> made = deflateEntries(rest);
    if (!made) return std::nullopt;
    std::vector<DeflatedEntry> all;
    all.reserve(entries.size());
    std::size_t next = 0;
    for (const DeflatedEntry* entry : taken) all.push_back(entry ? *entry : std::move((*made)[next++]));
    return all;
}

std::string zipError(zip_t* archive) { return zip_strerror(archive); }

bool addEntry(zip_t* archive, const std::string& name, zip_source_t* source, time_t time, std::string& error) {
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
    const auto entry = static_cast<zip_uint64_t>(index);
    const bool stored = name == kMimetype;
    const bool ok = (!stored || zip_set_file_compression(archive, entry, ZIP_CM_STORE, 0) == 0) &&
                    zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX, kEntryAttributes) == 0 &&
                    zip_file_set_mtime(archive, entry, time, 0) == 0;
    if (!ok) error = name + ": " + zipError(archive);
    return ok;
}

// The archive is the author's file: it keeps the mode of the one it
// replaces, and a new one is readable by all like any other document.
mode_t modeFor(const std::string& existing) {
    struct stat info;
    return ::stat(existing.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
}

std::string folderOf(const std::string& path) {
    const std::string folder = paths::deletingLastComponent(path);
    return folder.empty() ? "." : folder;
}

void syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The system's words, but a full disk in the author's: it is the one cause
// the author can remove at once.
std::string describedError(int error) {
    if (error == ENOSPC || error == EDQUOT) return "the disk is full";
    return std::strerror(error);
}

// Writes, syncs and closes `fd`; the reason on failure.
std::optional<std::string> fillAndClose(int fd, const std::string& bytes, mode_t mode) {
    const bool ok = files::writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 && ok) return describedError(errno);
    if (!ok) return describedError(error);
    return std::nullopt;
}

// An unnamed file in the destination's folder gets its name only once it is
// whole, so a build killed while writing leaves nothing in the author's
// folder. The name it gets first is a temporary one beside the destination:
// linkat cannot replace a file, rename can.
std::optional<Outcome> publishUnnamed(const std::string& bytes, const std::string& destination) {
    const int fd = ::open(folderOf(destination).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return std::nullopt;  // a file system without unnamed files
    if (const auto error = fillAndClose(::dup(fd), bytes, modeFor(destination))) {
        ::close(fd);
        return failed("cannot write the archive", *error);
    }
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    const std::string base = paths::join(folderOf(destination), "." + paths::lastComponent(destination) + "." +
                                                                    std::to_string(::getpid()) + ".");
    std::optional<Outcome> result;
    for (int attempt = 0; attempt < 100 && !result; ++attempt) {
        const std::string temporary = base + std::to_string(attempt);
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            break;  // without /proc, say: the named way below
        }
        result = Outcome{};
        if (::rename(temporary.c_str(), destination.c_str()) != 0) {
            result = failed("cannot replace " + destination, std::strerror(errno));
            ::unlink(temporary.c_str());
        }
    }
    ::close(fd);
    return result;
}

// Today's way where unnamed files are refused: a named temporary file beside
// the destination, renamed over it when whole.
Outcome publishNamed(const std::string& bytes, const std::string& destination) {
    std::string temporary = paths::join(folderOf(destination), "." + paths::lastComponent(destination) + ".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return failed("cannot write into " + folderOf(destination), std::strerror(errno));
    if (const auto error = fillAndClose(fd, bytes, modeFor(destination))) {
        ::unlink(temporary.c_str());
        return failed("cannot write the archive", *error);
    }
    if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failed("cannot replace " + destination, std::strerror(error));
    }
    return {};
}

// The bytes of an in-memory archive once it is closed.
std::optional<std::string> bufferBytes(zip_source_t* buffer) {
    if (zip_source_open(buffer) != 0) return std::nullopt;
    std::string bytes;
    char chunk[64 * 1024];
    zip_int64_t n = 0;
    while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<std::size_t>(n));
    zip_source_close(buffer);
    if (n < 0) return std::nullopt;
    return bytes;
}

}  // namespace

Result<std::string> archiveBytes(const ArchiveFiles& files, const AuthorFolder& authors, std::time_t entryTime,
                                 const EarlyEntries& early) {
    std::deque<std::string> read;
    const Result<std::vector<Entry>> entries = entriesOf(files, authors, read);
    if (!entries) return failure(entries.reason());
    if (entries->empty() || entries->front().name != kMimetype) return failure("the package has no mimetype file");
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &openError);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &openError) : nullptr;
    if (!archive) {
        const std::string reason = zip_error_strerror(&openError);
        if (buffer) zip_source_free(buffer);
        zip_error_fini(&openError);
        return failed("cannot create the archive", reason);
    }
    zip_error_fini(&openError);
    // The buffer must outlive the archive: its bytes are read afterwards.
    zip_source_keep(buffer);
    const auto discard = [&](Failure<std::string> failure) {
        zip_discard(archive);
        zip_source_free(buffer);
        return failure;
    };
    std::optional<std::vector<DeflatedEntry>> packed = deflated(*entries, early);
    if (!packed) return discard(failed("cannot pack", std::strerror(ENOMEM)));
    std::string error;
    for (std::size_t i = 0; i < entries->size(); ++i) {
        zip_source_t* source = deflatedSource(archive, std::move((*packed)[i]));
        if (!addEntry(archive, std::string((*entries)[i].name), source, entryTime, error))
            return discard(failed("cannot pack", error));
    }
    if (zip_close(archive) != 0) return discard(failed("cannot write the archive", zipError(archive)));
    auto made = bufferBytes(buffer);
    zip_source_free(buffer);
    if (!made) return failed("cannot write the archive", "its bytes could not be read back");
    return std::move(*made);
}

Outcome writeArchive(const ArchiveFiles& files, const AuthorFolder& authors, const std::string& archivePath,
                     std::time_t entryTime, const EarlyEntries& early) {
    const Result<std::string> bytes = archiveBytes(files, authors, entryTime, early);
    if (!bytes) return failure(bytes.reason());
    const std::optional<Outcome> unnamed = publishUnnamed(*bytes, archivePath);
    const Outcome result = unnamed ? *unnamed : publishNamed(*bytes, archivePath);
    if (result) syncFolderOf(archivePath);
    return result;
}

}  // namespace quillary::epub::archive
