#pragma once
// A controller wired to fakes of every port, in a fresh test folder, with the
// real resources and catalogues of the build tree.

#include <memory>

#include "controller/VoveZedevir.h"
#include "fakes/FailingFileWriter.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeMainQueue.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWindow.h"
#include "platform/MemoryPreferences.h"
#include "support/TestFolder.h"

namespace quillary::testing {

// Where a controller under test finds things: the build tree's resources
// and converter, data and temporary folders inside the test folder.
inline Locations suiteLocations(const TestFolder& folder) {
    Locations locations;
    locations.resources.folder = suiteSetting("QUILLARY_RESOURCES");
    locations.dataHome = folder.dataHome();
    locations.textutilPath = suiteSetting("QUILLARY_TEXTUTIL");
    locations.tempParent = folder.tempFolder();
    return locations;
}

struct Harness {
    TestFolder folder;
    FakeShell shell;
    MemoryPreferences preferences;
    FakeMainQueue queue;
    InlineRunner runner;
    HeldRunner checks;
    FakeWindow window;
    FakeWorkspace workspace;
    FakeNotifier notifier;
    FailingFileWriter fileWriter;
    FakeSoftwareUpdater updater;
    std::unique_ptr<VoveZedevir> controller;

    // `english` loads the English catalogue; otherwise texts are their keys.
    explicit Harness(bool english = true) {
        preferences.registerDefaults(prefs::registeredDefaults());
        Locations locations = suiteLocations(folder);
        Localizer texts = english ? Localizer::load(locations.resources.folder + "/locale", {"en"})
                                  : Localizer{};
        controller = std::make_unique<VoveZedevir>(
            Ports{shell, preferences, queue, runner, checks, window, workspace, notifier, fileWriter, updater},
            std::move(locations), std::move(texts));
    }

    VoveZedevir& c() { return *controller; }
};

}  // namespace quillary::testing
