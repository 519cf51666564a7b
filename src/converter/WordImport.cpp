#include "converter/WordImport.h"

#include "converter/Converter.h"
#include "converter/TimedProcess.h"
#include "platform/PrivateFolders.h"
#include "platform/SafeFile.h"

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace conv {

namespace fs = std::filesystem;

namespace {

// Written into a profile once LibreOffice has made it, so that a profile that
// a killed run left half made is made again.
constexpr std::string_view kReadyMarker = "quillary-profile-ready";

std::string fileUrl(const fs::path& path) {
    std::string url = "file://";
    for (char c : path.string()) {
        auto byte = static_cast<unsigned char>(c);
        bool safe = std::isalnum(byte) || std::string_view("/-._~").find(c) != std::string_view::npos;
        if (safe) {
            url += c;
        } else {
            static const char digits[] = "0123456789ABCDEF";
            url += '%';
            url += digits[byte >> 4];
            url += digits[byte & 15];
        }
    }
    return url;
}

// The name marks the folder as ours, so that a later conversion removes it
// if a killed one could not.
constexpr const char* kFolderPrefix = "quillary-doc-";

// Holds the whole manuscript as LibreOffice's RTF: removed however the
// conversion ends, a signal included.
class TemporaryFolder {
public:
    TemporaryFolder() : path_(quillary::privatefolders::make("", kFolderPrefix).value_or("")) {}
    ~TemporaryFolder() {
        if (!path_.empty()) quillary::privatefolders::remove(path_, kFolderPrefix);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    fs::path path() const { return path_; }

private:
    std::string path_;
};

// Two LibreOffice processes on one profile hand their work to each other or
// fail, so a conversion holds the profile's lock from its first start to its
// last. The lock goes with the process, however it ends.
class ProfileLock {
public:
    explicit ProfileLock(const fs::path& profile) {
        fd_ = open((profile.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) flock(fd_, LOCK_EX);
    }
    ~ProfileLock() {
        if (fd_ >= 0) close(fd_);
    }
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

private:
    int fd_ = -1;
};

struct Run {
    const LibreOffice& office;
    fs::path profile;
    fs::path input;
    fs::path output;
    std::string filter;  // what --convert-to asks for
    fs::path result;     // the file LibreOffice writes
};

struct Failure {
    std::string what;  // what LibreOffice did, as the end of a sentence
    std::string said;  // the last lines it printed
    bool final = false;  // a second try would fail the same way
};

// Free space is looked at only once LibreOffice has failed: it does not say
// why in words we can rely on (its messages are translated).
bool diskIsFull(fs::path folder, std::uint64_t room) {
    std::error_code error;
    while (!fs::exists(folder, error) && folder.has_relative_path()) folder = folder.parent_path();
    struct statvfs space {};
    if (statvfs(folder.c_str(), &space) != 0) return false;
    return static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize < room;
}

std::optional<Failure> fullDisk(const Run& run) {
    for (const fs::path& folder : {run.profile.parent_path(), run.output.parent_path()}) {
        if (diskIsFull(folder, run.office.profileRoom))
            return Failure{"could not work in " + folder.string() + ": the disk is full; free some space there",
                           {}, true};
    }
    return std::nullopt;
}

// One start of LibreOffice; why it failed, or nullopt. `said`, when given,
// gets the end of what it printed.
std::optional<Failure> start(const Run& run, std::vector<std::string> arguments, std::string_view during,
                             std::string* said = nullptr) {
    arguments.insert(arguments.begin(), {run.office.program, "--headless", "--norestore",
                                         "-env:UserInstallation=" + fileUrl(run.profile)});
    const ProcessLimits limits{run.office.timeLimit, run.office.addressSpace};
    const ProcessEnd end = runWithLimits(arguments, limits);
    if (said) *said = lastLines(end.said);
    if (end.succeeded()) return std::nullopt;
    const bool atLimit = end.how == ProcessEnd::How::TimedOut || end.how == ProcessEnd::How::OutOfMemory;
    if (!atLimit) {
        if (auto full = fullDisk(run)) return full;
    }
    return Failure{describeEnd(end, limits) + std::string(during), lastLines(end.said), atLimit};
}

std::optional<Failure> prepareProfile(const Run& run) {
    std::error_code error;
    if (fs::exists(run.profile / kReadyMarker, error)) return std::nullopt;
    fs::remove_all(run.profile, error);
    if (auto failure = start(run, {"--terminate_after_init"}, " while it made its profile")) return failure;
    fs::create_directories(run.profile, error);
    std::ofstream marker(run.profile / kReadyMarker);
    marker << "made by Quillary before its first conversion\n";
    marker.close();
    if (!marker) {
        if (auto full = fullDisk(run)) return full;
        return Failure{"made a profile that could not be marked ready in " + run.profile.string(), {}, true};
    }
    return std::nullopt;
}

std::optional<Failure> convertOnce(const Run& run) {
    if (auto failure = prepareProfile(run)) return failure;
    std::string said;
    if (auto failure =
            start(run, {"--convert-to", run.filter, "--outdir", run.output.string(), run.input.string()}, "", &said))
        return failure;
    std::error_code error;
    if (!fs::exists(run.result, error)) {
        if (auto full = fullDisk(run)) return full;
        return Failure{"ended without writing the converted document", said, false};
    }
    return std::nullopt;
}

std::string failureMessage(const Failure& failure, bool retried) {
    std::string message = (retried ? "LibreOffice failed twice; the second time it " : "LibreOffice ") + failure.what;
    return failure.said.empty() ? message + "." : message + "; its last output: " + failure.said;
}

std::string userProfileFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    fs::path base;
    if (cache && *cache == '/') base = cache;
    else if (home && *home == '/') base = fs::path(home) / ".cache";
    else return {};
    std::error_code error;
    fs::create_directories(base / "Quillary", error);
    return error ? std::string() : (base / "Quillary" / "libreoffice-profile").string();
}

// Converts `input`, a file in `folder`, and reads back what LibreOffice made
// of it, no larger than a manuscript may be.
quillary::Result<std::string, LibreOfficeFailure> convertInFolder(const TemporaryFolder& folder,
                                                                  const fs::path& input, std::string_view filter,
                                                                  std::string_view resultExtension,
                                                                  const LibreOffice& office) {
    const fs::path output = folder.path() / "out";
    Run run{office, office.profile.empty() ? folder.path() / "profile" : fs::path(office.profile), input, output,
            std::string(filter), output / (input.stem().string() + "." + std::string(resultExtension))};
    ProfileLock lock(run.profile);
    std::optional<Failure> failure = convertOnce(run);
    // A first start on a new machine can fail where the next one works; a
    // hang, a lack of memory or a full disk would only come again.
    bool retried = failure && !failure->final;
    if (retried) failure = convertOnce(run);
    if (failure) return quillary::failure(LibreOfficeFailure{failureMessage(*failure, retried), failure->final});
    auto made = quillary::safefile::readWhole(run.result.string(),
                                              {.maxBytes = kMaxManuscriptBytes, .insideFolder = {}, .ownedByUs = false});
    if (made) return std::move(*made);
    if (made.reason().kind == quillary::safefile::Refusal::Kind::TooLarge)
        return quillary::failure(LibreOfficeFailure{
            "LibreOffice made a document of it that " + made.reason().reason + ", more than any manuscript needs.",
            true});
    return quillary::failure(LibreOfficeFailure{"LibreOffice's document " + made.reason().reason + ".", true});
}

}  // namespace

std::string findLibreOffice() {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    for (std::string_view name : {"soffice", "libreoffice"}) {
        std::size_t start = 0;
        while (start <= folders.size()) {
            std::size_t end = folders.find(':', start);
            if (end == std::string_view::npos) end = folders.size();
            std::string_view folder = folders.substr(start, end - start);
            if (!folder.empty()) {
                std::string candidate = std::string(folder) + "/" + std::string(name);
                if (access(candidate.c_str(), X_OK) == 0) return candidate;
            }
            start = end + 1;
        }
    }
    return {};
}

LibreOffice userLibreOffice() {
    LibreOffice office;
    office.program = findLibreOffice();
    office.profile = userProfileFolder();
    return office;
}

quillary::Result<std::string> importWordDocument(const std::string& path, const LibreOffice& office,
                                                 std::string_view extension) {
    if (office.program.empty()) {
        return quillary::failure("LibreOffice is needed for ." + std::string(extension) +
                                 " files; install it (the package \"libreoffice-writer\") or save the manuscript as RTF.");
    }
    TemporaryFolder folder;
    if (folder.path().empty()) return quillary::failure("No temporary folder could be made for the conversion.");
    // LibreOffice names its output after its input; a link with a plain name
    // keeps odd characters of the author's file name out of its way.
    std::error_code error;
    fs::path input = folder.path() / ("manuscript." + std::string(extension));
    fs::create_symlink(fs::absolute(path, error), input, error);
    if (error) fs::copy_file(path, input, error);
    if (error) return quillary::failure("The file could not be read.");
    auto converted = convertInFolder(folder, input, "rtf", "rtf", office);
    if (!converted) return quillary::failure(converted.reason().reason);
    return std::move(*converted);
}

quillary::Result<std::string, LibreOfficeFailure> convertWithLibreOffice(std::string_view content,
                                                                         std::string_view extension,
                                                                         std::string_view filter,
                                                                         std::string_view resultExtension,
                                                                         const LibreOffice& office) {
    if (office.program.empty()) return quillary::failure(LibreOfficeFailure{"LibreOffice is not installed.", true});
    TemporaryFolder folder;
    if (folder.path().empty())
        return quillary::failure(LibreOfficeFailure{"No temporary folder could be made for the conversion.", true});
    fs::path input = folder.path() / ("document." + std::string(extension));
    std::ofstream file(input, std::ios::binary);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.close();
    if (!file) return quillary::failure(LibreOfficeFailure{"The document could not be written for LibreOffice.", true});
    return convertInFolder(folder, input, filter, resultExtension, office);
}

}  // namespace conv
