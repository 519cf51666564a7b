#include "platform/PosixShell.h"

#include "base/Utf8.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace quillary {

bool isValidUtf8(const std::string& bytes) { return utf8::isValid(bytes); }

namespace {

using Clock = std::chrono::steady_clock;

struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

// Milliseconds poll may wait before `deadline`; -1 (no limit) without one.
int pollTimeout(const std::optional<Clock::time_point>& deadline) {
    if (!deadline) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
}

// Reads until every writer has closed the pipe; false when the deadline
// passed first.
bool readToEnd(int fd, std::string& output, const std::optional<Clock::time_point>& deadline) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, pollTimeout(deadline));
        if (polled < 0 && errno == EINTR) continue;
        if (polled == 0) {
            if (deadline && Clock::now() >= *deadline) return false;
            continue;
        }
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) { output.append(buffer.data(), static_cast<std::size_t>(n)); continue; }
        if (n < 0 && errno == EINTR) continue;
        return true;
    }
}

// Reaps the child; false when the deadline passed first. The pipe may close
// long before the command ends: a child that shuts its output and goes on.
bool reap(pid_t pid, int& status, const std::optional<Clock::time_point>& deadline) {
    for (;;) {
        const pid_t reaped = ::waitpid(pid, &status, deadline ? WNOHANG : 0);
        if (reaped == pid || (reaped < 0 && errno != EINTR)) return true;
        if (deadline && Clock::now() >= *deadline) return false;
        // Checked a hundred times a second: a delay no author notices.
        if (reaped == 0) ::usleep(10'000);
    }
}

}  // namespace

ShellResult PosixShell::run(const std::string& commandLine, const std::string& workingFolder,
                            std::optional<std::chrono::milliseconds> timeLimit) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {std::nullopt, ShellResult::End::NotStarted, 0};

    SpawnSetup spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&spawn.actions, fds[1], 2);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&spawn.actions, workingFolder.c_str());
    // A group of its own lets a hung command be stopped with everything it
    // started. Only then: a child outside the terminal's group no longer
    // hears the author's Ctrl-C.
    if (timeLimit) {
        posix_spawnattr_setflags(&spawn.attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&spawn.attributes, 0);
    }

    std::string sh = "/bin/sh", dashC = "-c", command = commandLine;
    char* argv[] = {sh.data(), dashC.data(), command.data(), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, "/bin/sh", &spawn.actions, &spawn.attributes, argv, environ);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return {std::nullopt, ShellResult::End::NotStarted, 0};
    }
    std::optional<Clock::time_point> deadline;
    if (timeLimit) deadline = Clock::now() + *timeLimit;
    std::string output;
    int status = 0;
    const bool finished = readToEnd(fds[0], output, deadline) && reap(pid, status, deadline);
    ::close(fds[0]);
    if (!finished) {
        ::kill(-pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }

    ShellResult result;
    if (isValidUtf8(output)) result.output = std::move(output);
    if (!finished) result.end = ShellResult::End::TimedOut;
    else if (WIFSIGNALED(status)) result = {std::move(result.output), ShellResult::End::Killed, WTERMSIG(status)};
    else result.status = WEXITSTATUS(status);
    return result;
}

}  // namespace quillary
