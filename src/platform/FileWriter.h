#pragma once
// Where the build writes the files of its package: a port, so that a test
// can fail a write the way a full disk fails it.

#include <optional>
#include <string>
#include <string_view>

namespace quillary {

class FileWriter {
public:
    virtual ~FileWriter() = default;

    // Makes or truncates the file at `path` and writes `content` as the whole
    // of it, without syncing it to disk. Returns nullopt when every byte was
    // written and the file closed; otherwise why not ("No space left on
    // device"), and the file may hold any part of `content`. Any thread.
    virtual std::optional<std::string> write(const std::string& path, std::string_view content) = 0;
};

class PosixFileWriter : public FileWriter {
public:
    std::optional<std::string> write(const std::string& path, std::string_view content) override;
};

}  // namespace quillary
