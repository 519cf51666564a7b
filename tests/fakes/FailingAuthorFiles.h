#pragma once
// The folder's real files, one of which cannot be opened on request: there
// when the assembly looks at it, gone when an archive reads it.

#include <atomic>
#include <string>

#include "platform/AuthorFiles.h"

namespace quillary::testing {

class FailingAuthorFiles : public PosixAuthorFiles {
public:
    // The `n`th opening of `name` from now on (1 for the next) fails; 0 fails none.
    void failOpen(std::string name, int n) {
        name_ = std::move(name);
        opened_ = 0;
        failing_ = n;
    }

    Result<std::unique_ptr<ByteSource>> open(const std::string& folder, const std::string& name) const override {
        if (name == name_ && ++opened_ == failing_) return failure("No such file or directory");
        return PosixAuthorFiles::open(folder, name);
    }

private:
    std::string name_;
    mutable std::atomic<int> opened_{0};
    std::atomic<int> failing_{0};
};

}  // namespace quillary::testing
