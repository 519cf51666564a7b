#include "converter/WordImport.h"

#include "converter/TimedProcess.h"

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <sys/file.h>
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

class TemporaryFolder {
public:
    TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/quillary-doc-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data())) path_ = buffer.data();
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
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
    fs::path log;
    std::string filter;  // what --convert-to asks for
    fs::path result;     // the file LibreOffice writes
};

struct Failure {
    std::string what;  // what LibreOffice did, as the end of a sentence
    bool timedOut = false;
};

std::optional<Failure> start(const Run& run, std::vector<std::string> arguments, std::string_view during) {
    arguments.insert(arguments.begin(), {run.office.program, "--headless", "--norestore",
                                         "-env:UserInstallation=" + fileUrl(run.profile)});
    ProcessEnd end = runWithTimeLimit(arguments, run.log.string(), run.office.timeLimit);
    if (end.succeeded()) return std::nullopt;
    return Failure{describeEnd(end, run.office.timeLimit) + std::string(during),
                   end.how == ProcessEnd::How::TimedOut};
}

std::optional<Failure> prepareProfile(const Run& run) {
    std::error_code error;
    if (fs::exists(run.profile / kReadyMarker, error)) return std::nullopt;
    fs::remove_all(run.profile, error);
    if (auto failure = start(run, {"--terminate_after_init"}, " while it made its profile")) return failure;
    fs::create_directories(run.profile, error);
    std::ofstream(run.profile / kReadyMarker) << "made by Quillary before its first conversion\n";
    return std::nullopt;
}

std::optional<Failure> convertOnce(const Run& run) {
    if (auto failure = prepareProfile(run)) return failure;
    if (auto failure = start(run, {"--convert-to", run.filter, "--outdir", run.output.string(), run.input.string()}, ""))
        return failure;
    std::error_code error;
    if (!fs::exists(run.result, error))
        return Failure{"ended without writing the converted document"};
    return std::nullopt;
}

std::string failureMessage(const Failure& failure, bool retried, const fs::path& log) {
    std::string message = (retried ? "LibreOffice failed twice; the second time it " : "LibreOffice ") + failure.what;
    std::string said = endOfLog(log.string());
    return said.empty() ? message + "." : message + "; its last output: " + said;
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
// of it.
quillary::Result<std::string, LibreOfficeFailure> convertInFolder(const TemporaryFolder& folder,
                                                                  const fs::path& input, std::string_view filter,
                                                                  std::string_view resultExtension,
                                                                  const LibreOffice& office) {
    fs::path result = folder.path() / "out" / (input.stem().string() + "." + std::string(resultExtension));
    Run run{office, office.profile.empty() ? folder.path() / "profile" : fs::path(office.profile), input,
            folder.path() / "out", folder.path() / "libreoffice.log", std::string(filter), result};
    ProfileLock lock(run.profile);
    std::optional<Failure> failure = convertOnce(run);
    // A first start on a new machine can fail where the next one works; a
    // hang would only hang again.
    bool retried = failure && !failure->timedOut;
    if (retried) failure = convertOnce(run);
    if (failure) return quillary::failure(LibreOfficeFailure{failureMessage(*failure, retried, run.log), failure->timedOut});
    std::ifstream in(result, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
    if (office.program.empty()) return quillary::failure(LibreOfficeFailure{"LibreOffice is not installed.", false});
    TemporaryFolder folder;
    if (folder.path().empty())
        return quillary::failure(LibreOfficeFailure{"No temporary folder could be made for the conversion.", false});
    fs::path input = folder.path() / ("document." + std::string(extension));
    std::ofstream(input, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    return convertInFolder(folder, input, filter, resultExtension, office);
}

}  // namespace conv
