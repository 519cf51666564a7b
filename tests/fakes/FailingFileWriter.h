#pragma once
// Writes real files, and fails one write on request the way a full disk
// does: half the content arrives, and the write reports ENOSPC.

#include <atomic>

#include "platform/FileWriter.h"

namespace quillary::testing {

class FailingFileWriter : public FileWriter {
public:
    // The `n`th write from now on (1 for the next) fails; 0 fails none.
    void failWrite(int n) {
        writesSeen = 0;
        failingWrite = n;
    }

    Outcome write(const std::string& path, std::string_view content) override {
        if (++writesSeen != failingWrite) return real_.write(path, content);
        (void)real_.write(path, content.substr(0, content.size() / 2));
        return failure("No space left on device");
    }

private:
    std::atomic<int> writesSeen{0};
    std::atomic<int> failingWrite{0};
    PosixFileWriter real_;
};

}  // namespace quillary::testing
