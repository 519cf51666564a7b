#pragma once
// An updater that runs an update when the test says so.

#include <functional>

#include "platform/SoftwareUpdater.h"

namespace quillary::testing {

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
