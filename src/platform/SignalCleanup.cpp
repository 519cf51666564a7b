#include "platform/SignalCleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

// Everything a handler reaches is a fixed table of atomics and plain
// characters, and every call it makes is async-signal-safe: it may run on
// any thread, between any two instructions of the code that fills the table.

namespace quillary::signalcleanup {

namespace {

// A build runs one child at a time (two while the converter checks its
// banner); a few spare slots cost nothing.
constexpr int kChildSlots = 16;
constexpr int kFolderSlots = 8;
// Our folders are a few levels deep (a LibreOffice profile the deepest); a
// tree deeper than this is not ours, and its depths are left alone.
constexpr int kMaxDepth = 32;

// kill(2)'s target: the child's id, or minus it for its whole group; 0 free.
std::atomic<pid_t> children[kChildSlots];

// A slot's word is (generation << 2) | state, so that a handler that copied
// a path can tell whether the slot changed under it meanwhile.
enum : std::uint32_t { kFree = 0, kBusy = 1, kLive = 2 };
struct FolderSlot {
    std::atomic<std::uint32_t> word{0};
    char path[PATH_MAX];
};
FolderSlot folders[kFolderSlots];

std::atomic<bool> cleaning{false};
// How many Registering scopes are open.
std::atomic<int> registering{0};
long long graceMilliseconds = 0;
// A killed child dies at once, but may still be writing into a folder we are
// about to remove: it is given this long to be gone.
constexpr long long kDyingMilliseconds = 1000;

std::uint32_t next(std::uint32_t word, std::uint32_t state) { return (((word >> 2) + 1) << 2) | state; }

void pauseMilliseconds(long milliseconds) {
    struct timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1'000'000};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

long long nowMilliseconds() {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

void signalChildren(int signal) {
    for (std::atomic<pid_t>& slot : children) {
        if (const pid_t target = slot.load(std::memory_order_acquire); target != 0) ::kill(target, signal);
    }
}

// Reads "pid (name) state ppid pgrp ..." from /proc/<name>/stat: whether
// that process belongs to `group` and has not ended (a zombie has).
bool isLiveMember(int proc, const char* name, pid_t group) {
    char path[64] = {};
    std::size_t length = std::strlen(name);
    if (length + 6 >= sizeof path) return false;
    std::memcpy(path, name, length);
    std::memcpy(path + length, "/stat", 6);
    const int fd = ::openat(proc, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[512];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return false;
    text[n] = '\0';
    const char* at = std::strrchr(text, ')');
    if (!at || at[1] != ' ' || at[2] == '\0' || at[2] == 'Z' || at[2] == 'X') return false;
    at += 3;  // past the state, to the parent and then the group
    while (*at == ' ') ++at;
    while (*at >= '0' && *at <= '9') ++at;
    while (*at == ' ') ++at;
    long long value = 0;
    for (; *at >= '0' && *at <= '9'; ++at) value = value * 10 + (*at - '0');
    return value == group;
}

// 1 when a process of `group` still runs, 0 when none does, -1 without /proc.
int groupIsRunning(pid_t group) {
    const int proc = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc < 0) return -1;
    alignas(8) char buffer[4096];
    bool running = false;
    for (ssize_t n; !running && (n = ::getdents64(proc, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < n && !running;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += entry->d_reclen;
            if (entry->d_name[0] >= '1' && entry->d_name[0] <= '9')
                running = isLiveMember(proc, entry->d_name, group);
        }
    }
    ::close(proc);
    return running ? 1 : 0;
}

bool childHasEnded(pid_t pid) {
    siginfo_t info {};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return true;
    return info.si_pid == pid;
}

// Waits until every registered child has ended, with all its group when it
// has one (the group of a shell holds the program the shell started, which
// may still be cleaning up after the shell itself has gone), or until the
// deadline. Nothing is reaped, so that every id stays ours.
void awaitChildren(long long deadline) {
    for (std::atomic<pid_t>& slot : children) {
        const pid_t target = slot.load(std::memory_order_acquire);
        if (target == 0) continue;
        const pid_t pid = target < 0 ? -target : target;
        for (;;) {
            const int running = target < 0 ? groupIsRunning(pid) : -1;
            if (running == 0 || (running < 0 && childHasEnded(pid)) || nowMilliseconds() >= deadline) break;
            pauseMilliseconds(10);
        }
    }
}

void removeEntries(int folder, int depth);

// Removes `name` in the open folder `parent`: a file or link by unlinking
// it, a folder with everything in it.
void removeEntry(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM)) return;
    if (depth >= kMaxDepth) return;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return;
    removeEntries(folder, depth + 1);
    ::close(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

void removeEntries(int folder, int depth) {
    alignas(8) char buffer[2048];
    // Removing entries while listing may make the listing skip some: list
    // again until a pass finds nothing left.
    for (int pass = 0; pass < 4; ++pass) {
        bool found = false;
        ::lseek(folder, 0, SEEK_SET);
        for (;;) {
            const ssize_t n = ::getdents64(folder, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
                found = true;
                removeEntry(folder, name, depth);
            }
        }
        if (!found) return;
    }
}

void removeTree(const char* path) {
    const char* slash = std::strrchr(path, '/');
    if (path[0] != '/' || slash == nullptr || slash[1] == '\0') return;
    char parentPath[PATH_MAX];
    const std::size_t parentLength = slash == path ? 1 : static_cast<std::size_t>(slash - path);
    std::memcpy(parentPath, path, parentLength);
    parentPath[parentLength] = '\0';
    const int parent = ::open(parentPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) return;
    removeEntry(parent, slash + 1, 0);
    ::close(parent);
}

void removeFolders() {
    for (FolderSlot& slot : folders) {
        const std::uint32_t before = slot.word.load(std::memory_order_acquire);
        if ((before & 3) != kLive) continue;
        char path[PATH_MAX];
        std::memcpy(path, slot.path, sizeof path);
        path[PATH_MAX - 1] = '\0';
        if (slot.word.load(std::memory_order_acquire) == before) removeTree(path);
    }
}

[[noreturn]] void awaitTheEnd() {
    for (;;) ::pause();
}

// A scope that opened before `cleaning` was set registers what it makes;
// one that opens after sees it set and makes nothing.
void awaitRegistrations(long long deadline) {
    while (registering.load() > 0 && nowMilliseconds() < deadline) pauseMilliseconds(1);
}

void onSignal(int signal) {
    // A second signal, on another thread, waits for the first to end the program.
    if (cleaning.exchange(true)) awaitTheEnd();
    awaitRegistrations(nowMilliseconds() + kDyingMilliseconds);
    if (graceMilliseconds > 0) {
        signalChildren(SIGTERM);
        awaitChildren(nowMilliseconds() + graceMilliseconds);
    }
    signalChildren(SIGKILL);
    awaitChildren(nowMilliseconds() + kDyingMilliseconds);
    removeFolders();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(signal, &standard, nullptr);
    ::raise(signal);
    sigset_t mask;
    ::sigemptyset(&mask);
    ::sigaddset(&mask, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &mask, nullptr);
    ::_exit(128 + signal);
}

}  // namespace

void install(std::chrono::milliseconds grace) {
    graceMilliseconds = grace.count();
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    const int handled[] = {SIGINT, SIGTERM, SIGHUP};
    for (int signal : handled) ::sigaddset(&action.sa_mask, signal);
    for (int signal : handled) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        // Started under nohup, or in the background by a shell that ignores
        // Ctrl-C for it: that choice stands.
        if (current.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

void watchChild(pid_t pid, bool ownGroup) {
    if (pid <= 0) return;
    for (std::atomic<pid_t>& slot : children) {
        pid_t free = 0;
        if (slot.compare_exchange_strong(free, ownGroup ? -pid : pid, std::memory_order_acq_rel)) return;
    }
}

void forgetChild(pid_t pid) {
    if (pid <= 0) return;
    for (std::atomic<pid_t>& slot : children) {
        pid_t target = pid;
        if (slot.compare_exchange_strong(target, 0, std::memory_order_acq_rel)) return;
        target = -pid;
        if (slot.compare_exchange_strong(target, 0, std::memory_order_acq_rel)) return;
    }
}

void yieldToCleanUp() {
    if (cleaning.load()) awaitTheEnd();
}

Registering::Registering() {
    sigset_t held;
    ::sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    registering.fetch_add(1);
    if (cleaning.load()) {
        registering.fetch_sub(1);
        awaitTheEnd();
    }
}

Registering::~Registering() {
    registering.fetch_sub(1);
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void watchFolder(const std::string& path) {
    if (path.empty() || path.front() != '/' || path.size() >= PATH_MAX) return;
    for (FolderSlot& slot : folders) {
        std::uint32_t word = slot.word.load(std::memory_order_acquire);
        if ((word & 3) != kFree || !slot.word.compare_exchange_strong(word, (word & ~3u) | kBusy)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.word.store(next(word, kLive), std::memory_order_release);
        return;
    }
}

void forgetFolder(const std::string& path) {
    for (FolderSlot& slot : folders) {
        std::uint32_t word = slot.word.load(std::memory_order_acquire);
        if ((word & 3) != kLive || path != slot.path) continue;
        if (!slot.word.compare_exchange_strong(word, (word & ~3u) | kBusy)) continue;
        slot.path[0] = '\0';
        slot.word.store(next(word, kFree), std::memory_order_release);
        return;
    }
}

}  // namespace quillary::signalcleanup
