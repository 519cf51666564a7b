#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/SignalCleanup.h"

extern char** environ;

namespace quillary {

namespace {

using Clock = std::chrono::steady_clock;

// Without a pidfd (a kernel older than 5.3) the child's end is noticed by
// looking every this often.
constexpr int kLookMilliseconds = 10;

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
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// The end of a stream of bytes, in memory no larger than twice the limit.
class Tail {
public:
    explicit Tail(std::size_t limit) : limit_(limit) {}
    void append(const char* bytes, std::size_t count) {
        text_.append(bytes, count);
        if (text_.size() > 2 * limit_ + 64 * 1024) trim();
    }
    // The kept end, starting on a character of UTF-8 text.
    std::string finish(std::uint64_t& cut) {
        trim();
        std::size_t start = 0;
        while (cut_ > 0 && start < text_.size() && start < 3 &&
               (static_cast<unsigned char>(text_[start]) & 0xC0) == 0x80)
            ++start;
        cut = cut_ + start;
        return text_.substr(start);
    }

private:
    void trim() {
        if (text_.size() <= limit_) return;
        const std::size_t excess = text_.size() - limit_;
        text_.erase(0, excess);
        cut_ += excess;
    }
    std::size_t limit_;
    std::string text_;
    std::uint64_t cut_ = 0;
};

// Reads what the pipe holds now; false once every writer has closed it.
bool drain(int fd, Tail& tail) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            tail.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

bool hasEnded(pid_t pid) {
    siginfo_t info {};
    // Not reaped yet: its id, and its group's, stay ours until we wait for it.
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) return info.si_pid == pid;
    // Reaped by someone else, or no longer ours to wait for: either way gone.
    return errno != EINTR;
}

// The arguments as run: under an address-space limit, through a shell that
// sets it and then becomes the program, as posix_spawn cannot set a limit.
std::vector<std::string> commandOf(const ChildSpec& spec) {
    if (spec.limits.addressSpace == 0) return spec.arguments;
    std::vector<std::string> wrapped = {
        "/bin/sh", "-c", "ulimit -v " + std::to_string(spec.limits.addressSpace / 1024) + " && exec \"$0\" \"$@\""};
    wrapped.insert(wrapped.end(), spec.arguments.begin(), spec.arguments.end());
    return wrapped;
}

int spawn(const ChildSpec& spec, int outputFd, pid_t& pid) {
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, outputFd, 1);
    posix_spawn_file_actions_adddup2(&setup.actions, outputFd, 2);
    if (!spec.workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, spec.workingFolder.c_str());
    // The spawning thread holds the handled signals back until the child is
    // registered; the child starts with none held.
    sigset_t none;
    ::sigemptyset(&none);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    std::vector<std::string> command = commandOf(spec);
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return ::posix_spawn(&pid, argv[0], &setup.actions, &setup.attributes, argv.data(), environ);
}

enum class Watched { Ended, TimedOut, Stopped };

// How often a child that may be asked to stop is asked.
constexpr long long kStopLookMilliseconds = 100;

// Reads the child's output until the child has ended, its time is up or it
// is asked to stop.
Watched watch(pid_t pid, int output, const ChildSpec& spec, Tail& tail) {
    // Through syscall(): glibc 2.36's <sys/pidfd.h> cannot be used from C++.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    std::optional<Clock::time_point> deadline;
    if (spec.limits.time) deadline = Clock::now() + *spec.limits.time;
    bool pipeOpen = true;
    Watched watched = Watched::Ended;
    while (!hasEnded(pid)) {
        const auto now = Clock::now();
        if (deadline && now >= *deadline) {
            watched = Watched::TimedOut;
            break;
        }
        if (spec.stopWhen && spec.stopWhen()) {
            watched = Watched::Stopped;
            break;
        }
        std::optional<Clock::time_point> wake;
        if (pidfd < 0) wake = now + std::chrono::milliseconds(kLookMilliseconds);
        if (spec.stopWhen) {
            const auto look = now + std::chrono::milliseconds(kStopLookMilliseconds);
            wake = wake ? std::min(*wake, look) : look;
        }
        if (deadline) wake = wake ? std::min(*wake, *deadline) : *deadline;
        const int timeout = wake ? static_cast<int>(std::min<long long>(
                                       std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count(), 60'000))
                                 : -1;
        pollfd ready[2] = {{pipeOpen ? output : -1, POLLIN, 0}, {pidfd, POLLIN, 0}};
        if (::poll(ready, 2, timeout) > 0 && ready[0].revents != 0) pipeOpen = drain(output, tail);
    }
    if (pidfd >= 0) ::close(pidfd);
    if (pipeOpen) drain(output, tail);
    return watched;
}

// SIGTERM to the whole group, then SIGKILL to what is left of it after the
// grace: the converter's own clean-up runs on SIGTERM.
void stopGroup(pid_t pid) {
    ::kill(-pid, SIGTERM);
    const auto until = Clock::now() + kStopGrace;
    while (!hasEnded(pid) && Clock::now() < until) ::poll(nullptr, 0, 20);
    ::kill(-pid, SIGKILL);
}

}  // namespace

ChildEnd runChild(const ChildSpec& spec) {
    ChildEnd end;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        end.code = errno;
        return end;
    }
    pid_t pid = 0;
    int spawned = 0;
    {
        // A signal between the spawn and the registration would leave the
        // child running after our clean-up.
        const signalcleanup::Registering registering;
        spawned = spawn(spec, fds[1], pid);
        if (spawned == 0) signalcleanup::watchChild(pid, true);
    }
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        end.code = spawned;
        return end;
    }
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    Tail tail(spec.limits.outputBytes);
    const Watched watched = watch(pid, fds[0], spec, tail);
    ::close(fds[0]);
    signalcleanup::yieldToCleanUp();
    const bool timedOut = watched == Watched::TimedOut;
    // On time out, the child and all it started; otherwise what it left,
    // when asked.
    if (watched == Watched::Stopped) stopGroup(pid);
    else if (timedOut || spec.endLeftovers) ::kill(-pid, SIGKILL);
    signalcleanup::forgetChild(pid);
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    end.output = tail.finish(end.cutBytes);
    end.peakResidentBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
    if (watched == Watched::Stopped) {
        end.how = ChildEnd::How::Stopped;
    } else if (timedOut) {
        end.how = ChildEnd::How::TimedOut;
    } else if (WIFSIGNALED(status)) {
        end.how = ChildEnd::How::Signalled;
        end.code = WTERMSIG(status);
    } else {
        end.how = ChildEnd::How::Exited;
        end.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return end;
}

}  // namespace quillary
