#include "converter/WordImport.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace conv {

namespace fs = std::filesystem;

namespace {

// LibreOffice converts a long .doc in a few seconds; a minute and a half
// means it hangs on the file, and the build must not wait for ever.
constexpr int kLibreOfficeTimeoutSeconds = 90;

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

// Runs the program without a shell, so no character of a path can be taken
// as shell syntax; its output goes nowhere. Returns whether it ended in time
// with status 0.
bool runQuietly(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A process group of its own, so a hung LibreOffice is stopped together
    // with the helper processes it starts.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = 0;
    int failed = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) return false;

    std::time_t deadline = std::time(nullptr) + kLibreOfficeTimeoutSeconds;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) return false;
        if (std::time(nullptr) > deadline) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        struct timespec pause = {0, 50 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

WordImport importWordDocument(const std::string& path) {
    WordImport result;
    std::string office = findLibreOffice();
    if (office.empty()) {
        result.error = "LibreOffice is needed for .doc files; install it (the package \"libreoffice-writer\") "
                       "or save the manuscript as RTF.";
        return result;
    }
    TemporaryFolder folder;
    if (folder.path().empty()) {
        result.error = "No temporary folder could be made for the conversion.";
        return result;
    }
    // LibreOffice names its output after its input; a link with a plain name
    // keeps odd characters of the author's file name out of its way.
    std::error_code error;
    fs::path input = folder.path() / "manuscript.doc";
    fs::create_symlink(fs::absolute(path, error), input, error);
    if (error) fs::copy_file(path, input, error);
    if (error) {
        result.error = "The file could not be read.";
        return result;
    }
    fs::path output = folder.path() / "out";
    bool finished = runQuietly({office, "--headless", "--norestore",
                                "-env:UserInstallation=" + fileUrl(folder.path() / "profile"), "--convert-to", "rtf",
                                "--outdir", output.string(), input.string()});
    std::ifstream rtf(output / "manuscript.rtf", std::ios::binary);
    if (!rtf) {
        result.error =
            finished ? "LibreOffice could not read the document." : "LibreOffice did not convert the document.";
        return result;
    }
    result.rtf.assign(std::istreambuf_iterator<char>(rtf), std::istreambuf_iterator<char>());
    result.ok = true;
    return result;
}

}  // namespace conv
