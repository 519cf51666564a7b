#include "converter/TimedProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace conv {

namespace {

// Enough of a log to show LibreOffice's own complaint, not so much that it
// buries the message that carries it.
constexpr std::size_t kLogTailLines = 3;
constexpr std::size_t kLogTailCharacters = 400;
// How often the child is looked at; a conversion takes seconds.
constexpr std::chrono::milliseconds kPollInterval{20};

ProcessEnd endFromStatus(int status) {
    if (WIFSIGNALED(status)) return {ProcessEnd::How::Signalled, WTERMSIG(status)};
    return {ProcessEnd::How::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string formatSeconds(std::chrono::milliseconds limit) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(limit.count()) / 1000.0);
    return text;
}

}  // namespace

ProcessEnd runWithTimeLimit(const std::vector<std::string>& arguments, const std::string& logFile,
                            std::chrono::milliseconds limit) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A process group of its own, so that a hung LibreOffice is stopped
    // together with the helper processes it starts.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = 0;
    int failed = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) return {ProcessEnd::How::NotStarted, failed};

    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) return endFromStatus(status);
        if (done < 0 && errno != EINTR) return {ProcessEnd::How::NotStarted, errno};
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            return {ProcessEnd::How::TimedOut, 0};
        }
        struct timespec pause = {0, std::chrono::nanoseconds(kPollInterval).count()};
        nanosleep(&pause, nullptr);
    }
}

std::string describeEnd(const ProcessEnd& end, std::chrono::milliseconds limit) {
    switch (end.how) {
    case ProcessEnd::How::Exited: return "exited with status " + std::to_string(end.code);
    case ProcessEnd::How::Signalled: return "was stopped by signal " + std::to_string(end.code);
    case ProcessEnd::How::TimedOut:
        return "did not finish within " + formatSeconds(limit) + " seconds and was stopped (timed out)";
    case ProcessEnd::How::NotStarted: break;
    }
    return "could not be started (" + std::string(std::strerror(end.code)) + ")";
}

std::string endOfLog(const std::string& logFile) {
    std::ifstream in(logFile, std::ios::binary);
    std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string tail;
    std::size_t lines = 0;
    std::size_t end = log.size();
    while (end > 0 && lines < kLogTailLines) {
        std::size_t start = log.find_last_of("\r\n", end - 1);
        start = start == std::string::npos ? 0 : start + 1;
        std::string line = log.substr(start, end - start);
        end = start > 0 ? start - 1 : 0;
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        tail = tail.empty() ? line : line + " / " + tail;
        ++lines;
    }
    if (tail.size() > kLogTailCharacters) {
        std::size_t cut = tail.size() - kLogTailCharacters;
        while (cut < tail.size() && (static_cast<unsigned char>(tail[cut]) & 0xC0) == 0x80) ++cut;
        tail = "..." + tail.substr(cut);
    }
    return tail;
}

}  // namespace conv
