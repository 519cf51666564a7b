#pragma once
// The desktop: opening files and addresses, finding installed applications.

#include <optional>
#include <string>

namespace quillary {

class Workspace {
public:
    virtual ~Workspace() = default;

    // Each opens and returns at once; false when nothing could be opened.
    // Main thread.
    virtual bool openFile(const std::string& path) = 0;
    virtual bool openFileWithApplication(const std::string& path,
                                         const std::string& application) = 0;
    virtual bool openURL(const std::string& url) = 0;
    // Shows the folder that holds the file, with the file selected where the
    // file manager can do that. Main thread.
    virtual bool showInFolder(const std::string& path) = 0;

    // The full path of an installed application (a program on PATH), or
    // nullopt. Any thread: the Kindle step looks for its converter from the
    // background.
    virtual std::optional<std::string> findApplication(const std::string& name) const = 0;
};

}  // namespace quillary
