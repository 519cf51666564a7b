#pragma once
// The workspace and the notifier record what they were asked; the software
// updater runs an update when the test says so.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Notifier.h"
#include "platform/SoftwareUpdater.h"
#include "platform/Workspace.h"

namespace quillary::testing {

class FakeWorkspace : public Workspace {
public:
    struct Opened {
        std::string what;         // path or URL
        std::string application;  // empty: the default application; "<url>", "<folder>": how else
    };
    std::vector<Opened> opened;
    std::set<std::string> installedApplications;  // names findApplication knows

    bool openFile(const std::string& path) override {
        opened.push_back({path, {}});
        return true;
    }
    bool openFileWithApplication(const std::string& path, const std::string& app) override {
        opened.push_back({path, app});
        return true;
    }
    bool openURL(const std::string& url) override {
        opened.push_back({url, "<url>"});
        return true;
    }
    bool showInFolder(const std::string& path) override {
        opened.push_back({path, "<folder>"});
        return true;
    }
    std::optional<std::string> findApplication(const std::string& name) const override {
        if (installedApplications.count(name)) return "/usr/bin/" + name;
        return std::nullopt;
    }
};

class FakeNotifier : public Notifier {
public:
    struct Notification { std::string title, message; };
    std::vector<Notification> delivered;
    void deliver(const std::string& title, const std::string& message) override {
        delivered.push_back({title, message});
    }
};

class FakeSoftwareUpdater : public SoftwareUpdater {
public:
    SoftwareUpdaterDelegate* delegate = nullptr;
    void setDelegate(SoftwareUpdaterDelegate* d) override { delegate = d; }
    // The delegate's callbacks around `replace`, which stands for the new
    // version taking the old one's place.
    void update(const std::function<void()>& replace) {
        if (delegate) delegate->updaterWillInstallUpdate();
        replace();
        if (delegate) delegate->updaterWillRelaunchApplication();
    }
};

}  // namespace quillary::testing
