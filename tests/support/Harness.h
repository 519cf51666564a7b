#pragma once
// Fakes of every port around what a test drives: buildBook itself, or the
// application's sessions and tools, in a fresh test folder with the real
// resources and catalogues of the build tree.

#include <memory>
#include <optional>

#include "app/BookChecker.h"
#include "app/BuildResources.h"
#include "app/KindleTools.h"
#include "app/Locations.h"
#include "app/ManuscriptSession.h"
#include "app/PreferenceKeys.h"
#include "controller/BuildBook.h"
#include "fakes/FailingAuthorFiles.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeMainQueue.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWindow.h"
#include "platform/AuthorFiles.h"
#include "platform/MemoryPreferences.h"
#include "support/TestFolder.h"

namespace quillary::testing {

namespace prefs = app::prefs;

// The first bytes of pictures, which the build reads to know what they are
// (a PNG's with its header chunk, which states its size: 1x1).
inline const std::string kPngBytes =
    std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0", 29) + "\x1F\x15\xC4\x89 PNG";
inline const std::string kJpegBytes = "\xFF\xD8\xFF\xE0 JPEG";

// Where a test finds things: the build tree's resources and converter, data
// and temporary folders inside the test folder.
inline app::Locations suiteLocations(const TestFolder& folder) {
    app::Locations locations;
    locations.resources.folder = suiteSetting("QUILLARY_RESOURCES");
    locations.dataHome = folder.dataHome();
    locations.textutilPath = suiteSetting("QUILLARY_TEXTUTIL");
    locations.tempParent = folder.tempFolder();
    return locations;
}

// `english` loads the English catalogue; otherwise texts are their keys.
inline Localizer suiteTexts(bool english) {
    return english ? Localizer::load(suiteSetting("QUILLARY_RESOURCES") + "/locale", {"en"}) : Localizer{};
}

// buildBook over a fake shell, the test folder's files and a file writer
// that fails on request.
struct BookBuild {
    TestFolder folder;
    FakeShell shell;
    FailingAuthorFiles authorFiles;
    app::Locations locations = suiteLocations(folder);
    Localizer texts;
    std::optional<kindle::Converter> kindleConverter;

    explicit BookBuild(bool english = true) : texts(suiteTexts(english)) {}

    BuildResult build(const BuildRequest& request, controller::BuildProgress& progress) {
        const app::BuildResources resources(locations, texts);
        const controller::BuildTools tools = resources.tools(kindleConverter);
        return controller::buildBook(request, {shell, authorFiles, resources.book(), tools}, progress);
    }
    BuildResult build(const BuildRequest& request) {
        controller::BuildProgress unwatched;
        return build(request, unwatched);
    }
};

// The application's sessions and tools over fakes of every port.
struct Harness {
    TestFolder folder;
    FakeShell shell;
    MemoryPreferences preferences;
    FakeMainQueue queue;
    HeldRunner checks;
    FakeWindow window;
    FakeWorkspace workspace;
    app::Locations locations = suiteLocations(folder);
    Localizer texts;
    app::ManuscriptSession manuscripts{window, preferences, folder.dataHome() + "/Quillary", texts};
    std::unique_ptr<app::KindleTools> kindle;
    app::BookChecker checker{{shell, window, checks, queue}, "epubcheck-stand-in", texts, [] { return false; }};

    explicit Harness(bool english = true) : texts(suiteTexts(english)) {
        preferences.registerDefaults(prefs::registeredDefaults());
        kindle = std::make_unique<app::KindleTools>(
            app::KindleToolPorts{shell, workspace, preferences, window, checks, queue}, locations.dataHome, texts);
    }
};

}  // namespace quillary::testing
