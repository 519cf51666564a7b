#include <gtest/gtest.h>

#include "build/ShellQuote.h"
#include "platform/PosixShell.h"

using namespace quillary;

namespace {
// What /bin/sh hands a program as its one argument when `path` is quoted.
std::string argumentSeen(const std::string& commandPrefix) {
    PosixShell shell;
    return shell.run(commandPrefix).output.value_or("<invalid>");
}
}  // namespace

TEST(ShellQuote, PlainPathsAreUnchanged) {
    EXPECT_EQ(shellQuoteDouble("/home/a/My Novel.rtf"), "/home/a/My Novel.rtf");
    EXPECT_EQ(shellQuoteSingle("/home/a/My Novel.rtf"), "/home/a/My Novel.rtf");
}

TEST(ShellQuote, EveryAwkwardPathReachesTheCommandWhole) {
    const std::string awkward = "/tmp/a \"b\" $HOME `id` back\\slash 'single'\nnew line \xC3\xA9.rtf";
    EXPECT_EQ(argumentSeen("printf '%s' \"" + shellQuoteDouble(awkward) + "\""), awkward);
    EXPECT_EQ(argumentSeen("printf '%s' '" + shellQuoteSingle(awkward) + "'"), awkward);
}
