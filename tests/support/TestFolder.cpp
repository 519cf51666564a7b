#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::testing {

TestFolder::TestFolder() {
    const char* tmp = std::getenv("QUILLARY_TEST_TMP");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillary-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no test folder");
    path_ = pattern;
    EXPECT_TRUE(files::makeFolders(dataHome()));
    EXPECT_TRUE(files::makeFolders(configHome()));
    EXPECT_TRUE(files::makeFolders(tempFolder()));
    setEnv("XDG_DATA_HOME", dataHome());
    setEnv("XDG_CONFIG_HOME", configHome());
    setEnv("XDG_CACHE_HOME", cacheHome());
    setEnv("TMPDIR", tempFolder());
    setEnv("HOME", path_ + "/home");
    EXPECT_TRUE(files::makeFolders(path_ + "/home"));
}

TestFolder::~TestFolder() {
    for (const auto& [name, value] : saved_) {
        if (value) ::setenv(name.c_str(), value->c_str(), 1);
        else ::unsetenv(name.c_str());
    }
    if (!std::getenv("QUILLARY_KEEP_TEST_FOLDERS")) {
        EXPECT_TRUE(files::removeAll(path_));
    }
}

void TestFolder::setEnv(const std::string& name, const std::string& value) {
    if (!saved_.count(name)) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    ::setenv(name.c_str(), value.c_str(), 1);
}

std::string TestFolder::write(const std::string& name, const std::string& content) const {
    const std::string full = file(name);
    EXPECT_TRUE(files::makeFolders(paths::deletingLastComponent(full)));
    if (!files::writeFileAtomically(full, content)) throw std::runtime_error("cannot write " + full);
    return full;
}

std::string TestFolder::makeFolder(const std::string& name) const {
    EXPECT_TRUE(files::makeFolders(file(name)));
    return file(name);
}

std::string suiteSetting(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

}  // namespace quillary::testing
