#pragma once
// The software updater: what replaces the installed application with a newer
// one. It tells its delegate before it installs an update and before it
// starts the updated application, so that what the author installed beside
// the application can be carried across.

namespace quillary {

class SoftwareUpdaterDelegate {
public:
    virtual ~SoftwareUpdaterDelegate() = default;

    // Main thread. Failures are the delegate's own and silent: an update
    // goes on whatever the delegate manages.
    virtual void updaterWillInstallUpdate() = 0;
    virtual void updaterWillRelaunchApplication() = 0;
};

class SoftwareUpdater {
public:
    virtual ~SoftwareUpdater() = default;

    // The delegate is called until another one, or nullptr, is set; it must
    // stay alive until then. Main thread.
    virtual void setDelegate(SoftwareUpdaterDelegate* delegate) = 0;
};

// Installed from the distribution's packages, the application is updated by
// the package manager, which asks nobody first; this updater never calls its
// delegate.
class PackageManagerUpdates : public SoftwareUpdater {
public:
    void setDelegate(SoftwareUpdaterDelegate*) override {}
};

}  // namespace quillary
