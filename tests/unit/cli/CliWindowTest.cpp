#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "cli/CliWindow.h"

using namespace quillary;

namespace {

// What the window wrote to its terminal.
class Terminal {
public:
    Terminal() : stream_(::open_memstream(&buffer_, &size_)) {}
    ~Terminal() {
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

TEST(CliWindow, ASpinnerTurnsWithTheStepsNameWhileItsLengthIsUnknown) {
    Terminal terminal;
    CliWindow window(terminal.stream(), true);
    window.setStatusText("Reading the manuscript");
    window.setProgressIndeterminate(true);
    window.setProgressHidden(false);
    window.setStatusHidden(false);
    const std::string before = terminal.text();
    window.tick();
    const std::string once = terminal.text().substr(before.size());
    window.tick();
    const std::string twice = terminal.text().substr(before.size() + once.size());
    EXPECT_NE(once.find("Reading the manuscript"), std::string::npos) << once;
    EXPECT_NE(once, twice);
    EXPECT_NE(twice.find("Reading the manuscript"), std::string::npos) << twice;

    // Counted progress draws a bar, and the ticks leave it alone.
    window.setProgressRange(0, 4);
    window.setProgressIndeterminate(false);
    window.setProgressValue(1);
    const std::string counted = terminal.text();
    EXPECT_NE(counted.find("25%"), std::string::npos);
    window.tick();
    EXPECT_EQ(terminal.text(), counted);
}
