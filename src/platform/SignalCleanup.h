#pragma once
// What a program must undo when Ctrl-C, a closed terminal or a `kill` ends
// it in the middle of a build: child processes that would run on in process
// groups of their own (LibreOffice, the Kindle converter), and private
// folders that hold the author's manuscript. The code that starts such a
// child or makes such a folder registers it here for as long as it lives;
// the handlers end and remove whatever is registered, then end the program
// with the signal's own status. Registration is cheap and lock-free, and
// harmless when the handlers are not installed.

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <string>

namespace quillary::signalcleanup {

// Installs the handlers of SIGINT, SIGTERM and SIGHUP. On such a signal:
// every registered child (its whole process group, when it was given one)
// gets SIGTERM and up to `grace` to end and clean up after itself; then
// whatever is left of them gets SIGKILL, every registered folder is removed
// with everything in it once the children are gone, and the signal is
// raised again with its default action, so that the program's parent sees
// it end by that signal. A signal ignored when the program started (nohup)
// stays ignored. Call once, from main(), before any thread starts.
void install(std::chrono::milliseconds grace);

// The build's grace: its converter, which stops LibreOffice at once, needs
// a fraction of it to remove its folder; a closed terminal does not leave
// a program running for long.
inline constexpr std::chrono::milliseconds kBuildGrace{3000};

// `pid` is a child of this process that has not been waited for yet;
// `ownGroup` says it leads a process group of its own, whose every member is
// then ended with it. Forget it before waiting for it, so that its id is
// never signalled after it was reused. At most a handful at a time (the
// table is fixed, as a signal handler cannot allocate); past that, a child
// is not registered. Any thread, within a Registering scope.
void watchChild(pid_t pid, bool ownGroup);
void forgetChild(pid_t pid);

// The handler may run on any thread while the others go on. A thread that
// sees a child end calls this first: once a clean-up has begun, the child's
// end may be the clean-up's own doing, and reaping it or ending its group
// would cut the clean-up short (a converter killed before it removed its
// folder). Such a thread then waits here for the program's end.
void yieldToCleanUp();

// The scope in which a child is started or a folder made and registered, so
// that none escapes a clean-up: when one has begun already, the thread
// waits for the program's end as the scope opens; one that begins on
// another thread while the scope is open waits for it to close (a bounded
// while) before it ends the registered children; and on this thread the
// handled signals are held back until it closes. A child spawned in the
// scope must be given an empty signal mask.
class Registering {
public:
    Registering();
    ~Registering();
    Registering(const Registering&) = delete;
    Registering& operator=(const Registering&) = delete;

private:
    sigset_t previous_;
};

// A folder of ours to remove, by its absolute path (at most PATH_MAX bytes).
// Never register a folder the author owns. Any thread, within a Registering
// scope.
void watchFolder(const std::string& path);
void forgetFolder(const std::string& path);

}  // namespace quillary::signalcleanup
