#pragma once
// A fresh folder per test, with the user's data, configuration, cache and
// temporary folders pointed into it, so no test touches the real home folder.

#include <map>
#include <optional>
#include <string>

namespace quillary::testing {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (making its folders); returns its path.
    std::string write(const std::string& name, const std::string& content) const;
    std::string makeFolder(const std::string& name) const;

    // The folders the environment now names.
    std::string dataHome() const { return path_ + "/xdg-data"; }
    std::string configHome() const { return path_ + "/xdg-config"; }
    std::string cacheHome() const { return path_ + "/xdg-cache"; }
    std::string tempFolder() const { return path_ + "/tmp"; }

private:
    void setEnv(const std::string& name, const std::string& value);
    std::string path_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// An environment variable the test suite itself was given (QUILLARY_RESOURCES,
// QUILLARY_TEXTUTIL, QUILLARY_BIN, QUILLARY_FIXTURES, QUILLARY_CORPUS).
std::string suiteSetting(const std::string& name);

}  // namespace quillary::testing
