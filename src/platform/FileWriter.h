#pragma once
// Where the build writes the files of its package: a port, so that a test
// can fail a write the way a full disk fails it.

#include <string>
#include <string_view>

#include "base/Result.h"

namespace quillary {

class FileWriter {
public:
    virtual ~FileWriter() = default;

    // Makes or truncates the file at `path` and writes `content` as the whole
    // of it, without syncing it to disk. Done when every byte was written and
    // the file closed; otherwise why not ("No space left on device"), and the
    // file may hold any part of `content`. Any thread.
    virtual Outcome write(const std::string& path, std::string_view content) = 0;
};

class PosixFileWriter : public FileWriter {
public:
    Outcome write(const std::string& path, std::string_view content) override;
};

}  // namespace quillary
