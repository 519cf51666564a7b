#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/ChildProcess.h"
#include "platform/SignalCleanup.h"
#include "support/TestFolder.h"

using namespace quillary;

namespace {

std::vector<pid_t> idsIn(const std::string& file) {
    std::vector<pid_t> ids;
    std::ifstream in(file);
    for (pid_t id = 0; in >> id;) ids.push_back(id);
    return ids;
}

// A program whose build thread runs one child after another while its main
// thread takes Ctrl-C: each child ends by the clean-up's own signals, and a
// build thread that took that for an ordinary end would start the next one
// past the clean-up, to run on after the program.
[[noreturn]] void programInterruptedWhileItsBuildRunsChildren(const std::string& ids) {
    signalcleanup::install(std::chrono::milliseconds(200));
    std::thread([ids] {
        ChildSpec child;
        child.arguments = {"/bin/sh", "-c", "echo $$ >>'" + ids + "'; exec sleep 30"};
        for (;;) (void)runChild(child);
    }).detach();
    while (idsIn(ids).empty()) ::usleep(10'000);
    ::raise(SIGINT);
    ::_exit(0);
}

}  // namespace

TEST(SignalCleanup, NoChildOutlivesTheProgramWhenAnotherThreadRunsChildrenDuringTheCleanUp) {
    quillary::testing::TestFolder folder;
    const std::string ids = folder.file("children");
    // The children the program leaves come to this process, to be waited for.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    for (int round = 0; round < 5; ++round) {
        std::remove(ids.c_str());
        const pid_t program = ::fork();
        ASSERT_GE(program, 0);
        if (program == 0) programInterruptedWhileItsBuildRunsChildren(ids);
        int status = 0;
        ASSERT_EQ(::waitpid(program, &status, 0), program);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
        while (::waitpid(-1, &status, WNOHANG) > 0) {
        }
        for (const pid_t child : idsIn(ids)) {
            EXPECT_NE(::kill(child, 0), 0) << "child " << child << " runs on";
            ::kill(child, SIGKILL);
        }
    }
    while (::waitpid(-1, nullptr, 0) > 0) {
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}
