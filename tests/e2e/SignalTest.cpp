// Ctrl-C, a closed terminal or a kill in the middle of a build: the
// converters it started (in process groups of their own, which the
// terminal's signal does not reach) end, our private folders holding the
// manuscript go, and the build ends by the signal, as its caller expects.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "support/TestFolder.h"

extern char** environ;

using namespace quillary;
using quillary::testing::TestFolder;
using quillary::testing::suiteSetting;

namespace {

// A converter that ignores the polite signals, leaves a helper running,
// tells the test its process group through a named pipe, and sleeps. Only
// SIGKILL ends it.
std::string stubbornConverter(const std::string& fifo) {
    return "#!/bin/sh\n"
           "trap '' TERM INT HUP\n"
           "sleep 30 &\n"
           "set -- $(cat /proc/$$/stat)\n"
           "echo \"$5\" >'" + fifo + "'\n"
           "sleep 30\n";
}

std::vector<std::string> foldersOfOurs(const TestFolder& folder) {
    std::vector<std::string> ours;
    for (const std::string& name : files::listFolder(folder.tempFolder()))
        if (name.starts_with("quillary-")) ours.push_back(name);
    return ours;
}

pid_t startQuillary(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {suiteSetting("QUILLARY_BIN") + "/quillary"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The converter's line, or "" when the build ended (or a minute passed)
// before the converter started.
std::string converterLine(int fifo, pid_t build) {
    const int buildEnd = static_cast<int>(::syscall(SYS_pidfd_open, build, 0));
    std::string line;
    while (!line.ends_with('\n')) {
        pollfd ready[2] = {{fifo, POLLIN, 0}, {buildEnd, POLLIN, 0}};
        if (::poll(ready, 2, 60'000) <= 0 || ready[1].revents != 0) break;
        char buffer[512];
        const ssize_t n = ::read(fifo, buffer, sizeof buffer);
        if (n > 0) line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(buildEnd);
    return line.ends_with('\n') ? line : "";
}

}  // namespace

TEST(Signals, EndTheBuildsConvertersAndRemoveItsFoldersAndTheBuildEndsByTheSignal) {
    const struct {
        std::string manuscript;  // a fixture, or an RTF written here
        std::string converter;   // the stand-in's name on PATH
        std::vector<std::string> flags;
        int signal;
    } cases[] = {
        // LibreOffice under our converter, in a private folder of its own.
        {suiteSetting("QUILLARY_FIXTURES") + "/converter/cases/from-libreoffice.doc", "soffice", {}, SIGINT},
        {"", "ebook-convert", {"--kindle"}, SIGHUP},
        {"", "ebook-convert", {"--kindle"}, SIGTERM},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.converter + " " + ::strsignal(test.signal));
        TestFolder folder;
        const std::string fifo = folder.file("ready");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const int ready = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const std::string converter = folder.write("bin/" + test.converter, stubbornConverter(fifo));
        ASSERT_TRUE(files::setPermissions(converter, 0755).ok());
        const std::string oldPath = std::getenv("PATH");
        ::setenv("PATH", (folder.file("bin") + ":/usr/bin:/bin").c_str(), 1);
        std::vector<std::string> arguments = {"build", test.manuscript.empty()
                                                           ? folder.write("Book/Book.rtf", "{\\rtf1 Hello.\\par}")
                                                           : test.manuscript,
                                              "-o", folder.file("Book.epub")};
        arguments.insert(arguments.end(), test.flags.begin(), test.flags.end());
        // Orphans come to this process, so that the converter's group can be
        // waited for once the build has gone.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        const pid_t build = startQuillary(arguments);
        ::setenv("PATH", oldPath.c_str(), 1);
        ASSERT_GT(build, 0);

        const std::string line = converterLine(ready, build);
        ::close(ready);
        ASSERT_FALSE(line.empty()) << "the converter never started";
        const pid_t group = std::stoi(line);
        // The folder the converter works in, holding the manuscript or the book.
        EXPECT_EQ(foldersOfOurs(folder).size(), 1u);
        ASSERT_EQ(::kill(build, test.signal), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(build, &status, 0), build);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == test.signal) << status;

        EXPECT_EQ(foldersOfOurs(folder), std::vector<std::string>{});
        // Every process of the converter's group was ended: those that were
        // orphaned are reaped here, and none ended by itself. The stand-in
        // and its helper take only SIGKILL; a shell that started the stand-in
        // ends at the polite SIGTERM.
        for (pid_t orphan; (orphan = ::waitpid(-group, &status, 0)) > 0;)
            EXPECT_TRUE(WIFSIGNALED(status) && (WTERMSIG(status) == SIGKILL || WTERMSIG(status) == SIGTERM))
                << orphan << " " << status;
        EXPECT_EQ(::kill(-group, 0), -1);
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    }
}
