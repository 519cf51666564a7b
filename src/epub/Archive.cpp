#include "epub/Archive.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/Paths.h"

namespace quillary::archive {

namespace {

namespace fs = std::filesystem;

// Reading systems detect an EPUB by the bytes at offset 30 of the file, so
// "mimetype" must be the first entry and must not be compressed.
constexpr const char* kMimetype = "mimetype";
constexpr zip_uint32_t kBestCompression = 9;
// Entries carry plain rw-r--r-- Unix attributes whatever the build folder's
// umask was, so the same package always gives the same bytes.
constexpr zip_uint32_t kEntryAttributes = (S_IFREG | 0644u) << 16;

Result failure(const std::string& what, const std::string& detail) {
    return {false, detail.empty() ? what : what + ": " + detail};
}

// Every regular file under `folder`, as a path relative to it with "/"
// separators, in byte order; "mimetype" first. Folders give no entries of
// their own: their names live in the file paths. Symbolic links are not
// followed, so nothing outside the package can be packed by accident.
std::optional<std::vector<std::string>> packageFiles(const std::string& folder,
                                                     const std::vector<std::string>& leaveOut,
                                                     std::string& error) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            error = ec.message();
            return std::nullopt;
        }
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        std::string relative = it->path().lexically_relative(folder).generic_string();
        if (std::find(leaveOut.begin(), leaveOut.end(), relative) != leaveOut.end()) continue;
        names.push_back(std::move(relative));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (a == kMimetype || b == kMimetype) return a == kMimetype && b != kMimetype;
        return a < b;
    });
    if (names.empty() || names.front() != kMimetype) {
        error = "the package has no mimetype file";
        return std::nullopt;
    }
    return names;
}

// SOURCE_DATE_EPOCH as the reproducible-builds convention defines it: a
// decimal count of seconds. Anything else is ignored rather than guessed at.
std::optional<time_t> sourceDateEpoch() {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long seconds = std::strtoll(value, &end, 10);
    if (errno != 0 || *end != '\0' || seconds < 0) return std::nullopt;
    return static_cast<time_t>(seconds);
}

std::string zipError(zip_t* archive) { return zip_strerror(archive); }

// Deflating at the best level is most of the cost of a build's archive, and
// libzip compresses one entry after another. So the entries are first
// compressed into in-memory archives, a share per thread, and then copied
// into the real one still compressed, which libzip does without inflating.
class CompressedParts {
public:
    CompressedParts(const std::string& folder, const std::vector<std::string>& names) {
        const unsigned wanted = std::max(1u, std::min(kMaxThreads, std::thread::hardware_concurrency()));
        const auto count = static_cast<unsigned>(std::min<std::size_t>(wanted, names.size()));
        parts_.resize(count);
        std::vector<std::thread> workers;
        for (unsigned k = 1; k < count; ++k)
            workers.emplace_back([&, k] { compressShare(folder, names, k, count, parts_[k]); });
        if (count > 0) compressShare(folder, names, 0, count, parts_[0]);
        for (std::thread& worker : workers) worker.join();
        for (std::size_t k = 0; k < parts_.size(); ++k)
            if (!parts_[k].error.empty() && error_.empty()) error_ = parts_[k].error;
    }
    ~CompressedParts() {
        for (Part& part : parts_)
            if (part.reader) zip_discard(part.reader);
    }
    CompressedParts(const CompressedParts&) = delete;
    CompressedParts& operator=(const CompressedParts&) = delete;

    const std::string& error() const { return error_; }

    // A source for `names[index]` in its compressed form; nullptr on failure.
    zip_source_t* source(zip_t* archive, std::size_t index, const std::string& name) const {
        const Part& part = parts_[index % parts_.size()];
        if (!part.reader) return nullptr;
        const zip_int64_t entry = zip_name_locate(part.reader, name.c_str(), ZIP_FL_ENC_RAW);
        if (entry < 0) return nullptr;
        return zip_source_zip(archive, part.reader, static_cast<zip_uint64_t>(entry), ZIP_FL_COMPRESSED, 0, -1);
    }

private:
    // Two threads already halve the time on a small machine; more rarely pay.
    static constexpr unsigned kMaxThreads = 4;

    struct Part {
        zip_t* reader = nullptr;
        std::string error;
    };

    static void compressShare(const std::string& folder, const std::vector<std::string>& names,
                              std::size_t first, std::size_t step, Part& part) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
        zip_t* writer = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
        if (!writer) {
            part.error = zip_error_strerror(&error);
            if (buffer) zip_source_free(buffer);
            zip_error_fini(&error);
            return;
        }
        // The buffer must outlive the writer: the reader opens it afterwards.
        zip_source_keep(buffer);
        for (std::size_t i = first; i < names.size() && part.error.empty(); i += step) {
            const std::string path = paths::join(folder, names[i]);
            zip_source_t* source = zip_source_file(writer, path.c_str(), 0, -1);
            const zip_int64_t index =
                source ? zip_file_add(writer, names[i].c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
            if (source && index < 0) zip_source_free(source);
            if (index < 0 || zip_set_file_compression(writer, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                                      kBestCompression) != 0)
                part.error = names[i] + ": " + zipError(writer);
        }
        if (!part.error.empty() || zip_close(writer) != 0) {
            if (part.error.empty()) part.error = zipError(writer);
            zip_discard(writer);
            zip_source_free(buffer);
            zip_error_fini(&error);
            return;
        }
        part.reader = zip_open_from_source(buffer, ZIP_RDONLY, &error);
        if (!part.reader) {
            part.error = zip_error_strerror(&error);
            zip_source_free(buffer);
        }
        zip_error_fini(&error);
    }

    std::vector<Part> parts_;
    std::string error_;
};

time_t modificationTime(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : time(nullptr);
}

bool addEntry(zip_t* archive, const std::string& folder, const std::string& name, zip_source_t* source,
              std::optional<time_t> fixedTime, std::string& error) {
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
    const time_t time = fixedTime ? *fixedTime : modificationTime(paths::join(folder, name));
    const bool ok = (!stored || zip_set_file_compression(archive, entry, ZIP_CM_STORE, 0) == 0) &&
                    zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX, kEntryAttributes) == 0 &&
                    zip_file_set_mtime(archive, entry, time, 0) == 0;
    if (!ok) error = name + ": " + zipError(archive);
    return ok;
}

// A fresh, empty file beside `destination` to build the archive in; the
// rename that publishes it then stays within one file system.
std::optional<std::string> temporaryBeside(const std::string& destination) {
    std::string folder = paths::deletingLastComponent(destination);
    if (folder.empty()) folder = ".";
    std::string pattern = paths::join(folder, "." + paths::lastComponent(destination) + ".XXXXXX");
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return std::nullopt;
    ::close(fd);
    return pattern;
}

bool syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The archive is the author's file: it keeps the mode of the one it
// replaces, and a new one is readable by all like any other document
// (mkstemp would leave it private to the owner).
void giveModeOf(const std::string& existing, const std::string& path) {
    struct stat info;
    const mode_t mode = ::stat(existing.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    ::chmod(path.c_str(), mode);
}

void syncFolderOf(const std::string& path) {
    std::string folder = paths::deletingLastComponent(path);
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

Result writeArchive(const std::string& folder, const std::vector<std::string>& names,
                    const std::string& target) {
    int code = 0;
    zip_t* archive = zip_open(target.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        Result result = failure("cannot create the archive", zip_error_strerror(&error));
        zip_error_fini(&error);
        return result;
    }
    const std::optional<time_t> fixedTime = sourceDateEpoch();
    // "mimetype" comes first in `names` and is packed as it is.
    const std::vector<std::string> compressed(names.begin() + 1, names.end());
    const CompressedParts parts(folder, compressed);
    if (!parts.error().empty()) {
        zip_discard(archive);
        return failure("cannot pack", parts.error());
    }
    std::string error;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = paths::join(folder, names[i]);
        zip_source_t* source = i == 0 ? zip_source_file(archive, path.c_str(), 0, -1)
                                      : parts.source(archive, i - 1, names[i]);
        if (!addEntry(archive, folder, names[i], source, fixedTime, error)) {
            zip_discard(archive);
            return failure("cannot pack", error);
        }
    }
    // zip_close writes everything now: a full disk shows up here.
    if (zip_close(archive) != 0) {
        Result result = failure("cannot write the archive", zipError(archive));
        zip_discard(archive);
        return result;
    }
    return {true, {}};
}

}  // namespace

Result writePackage(const std::string& packageFolder, const std::string& archivePath,
                    const std::vector<std::string>& leaveOut) {
    std::string error;
    const auto names = packageFiles(packageFolder, leaveOut, error);
    if (!names) return failure("cannot read the package folder", error);

    const auto temporary = temporaryBeside(archivePath);
    if (!temporary) return failure("cannot write into " + paths::deletingLastComponent(archivePath),
                                   std::strerror(errno));
    Result result = writeArchive(packageFolder, *names, *temporary);
    if (result.ok) giveModeOf(archivePath, *temporary);
    if (result.ok && !syncFile(*temporary)) result = failure("cannot write the archive", std::strerror(errno));
    if (result.ok && ::rename(temporary->c_str(), archivePath.c_str()) != 0)
        result = failure("cannot replace " + archivePath, std::strerror(errno));
    if (!result.ok) {
        ::unlink(temporary->c_str());
        return result;
    }
    syncFolderOf(archivePath);
    return result;
}

}  // namespace quillary::archive
