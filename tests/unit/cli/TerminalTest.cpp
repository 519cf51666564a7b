#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "cli/Terminal.h"

using namespace quillary;
using quillary::cli::Terminal;

namespace {

// What the terminal was given to show.
class Screen {
public:
    Screen() : stream_(::open_memstream(&buffer_, &size_)) {}
    ~Screen() {
        std::fclose(stream_);
        std::free(buffer_);
    }
    std::FILE* stream() { return stream_; }
    std::string text() {
        std::fflush(stream_);
        return std::string(buffer_, size_);
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

}  // namespace

TEST(Terminal, ASpinnerTurnsWithTheStepsNameWhileItsLengthIsUnknown) {
    Screen screen;
    Terminal terminal(screen.stream(), true);
    terminal.showStep("Reading the manuscript", false);
    const std::string before = screen.text();
    terminal.tick();
    const std::string once = screen.text().substr(before.size());
    terminal.tick();
    const std::string twice = screen.text().substr(before.size() + once.size());
    EXPECT_NE(once.find("Reading the manuscript"), std::string::npos) << once;
    EXPECT_NE(once, twice);
    EXPECT_NE(twice.find("Reading the manuscript"), std::string::npos) << twice;

    // Counted progress draws a bar, and the ticks leave it alone.
    terminal.showStep("Making the book", true);
    terminal.showProgress(0.25);
    const std::string counted = screen.text();
    EXPECT_NE(counted.find("25%"), std::string::npos);
    terminal.tick();
    EXPECT_EQ(screen.text(), counted);
}

TEST(Terminal, AnAlertIsPrintedOnceRecordedEachTimeAndOnlyAPersonSeesProgress) {
    Screen screen;
    Terminal terminal(screen.stream(), false);
    terminal.showStep("Reading the manuscript", false);
    terminal.tick();
    terminal.leaveUnprinted({"problem"});
    const Alert missing{.titleKey = "noKindleGenTitle", .title = "No converter", .message = "Install one."};
    terminal.showAlert(missing);
    terminal.showAlert(missing);
    terminal.showAlert({.titleKey = "problem", .title = "Missing files", .message = "a.png"});
    EXPECT_EQ(screen.text(), "No converter: Install one.\n");
    EXPECT_EQ(terminal.alertsShown().size(), 3u);
}
