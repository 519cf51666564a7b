#include "platform/PosixShell.h"

#include "platform/Utf8.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace quillary {

bool isValidUtf8(const std::string& bytes) { return utf8::isValid(bytes); }

namespace {

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

std::string readToEnd(int fd) {
    std::string output;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) { output.append(buffer.data(), static_cast<std::size_t>(n)); continue; }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return output;
}

}  // namespace

std::optional<std::string> PosixShell::run(const std::string& commandLine,
                                           const std::string& workingFolder) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;

    SpawnActions spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&spawn.actions, fds[1], 2);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&spawn.actions, workingFolder.c_str());

    std::string sh = "/bin/sh", dashC = "-c", command = commandLine;
    char* argv[] = {sh.data(), dashC.data(), command.data(), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, "/bin/sh", &spawn.actions, nullptr, argv, environ);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return std::nullopt;
    }
    std::string output = readToEnd(fds[0]);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (!isValidUtf8(output)) return std::nullopt;
    return output;
}

}  // namespace quillary
