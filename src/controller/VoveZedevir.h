#pragma once
// The controller: the conductor of a build. It takes the author's request
// when the build starts and carries it, with what each step makes of it,
// from step to step over the ports; the steps themselves are functions of
// values (manuscript/, epub/, kindle/). Its other operations are defined one
// file per area (controller/, app/).
//
// Threads: every operation runs on the main thread unless it says
// "background". The background steps (extractHTML, buildePub, buildKindle)
// run one at a time through the BackgroundRunner, each with the values the
// one before handed it, and end by posting the next step to the MainQueue.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "book/BookInfo.h"
#include "book/BuildRequest.h"
#include "book/BuildResult.h"
#include "book/Languages.h"
#include "epub/BookCheck.h"
#include "epub/PackageModel.h"
#include "epub/PackageWriters.h"
#include "platform/Localizer.h"
#include "platform/Resources.h"
#include "platform/BackgroundRunner.h"
#include "platform/FileWriter.h"
#include "platform/Lifeline.h"
#include "platform/MainQueue.h"
#include "platform/Notifier.h"
#include "platform/Preferences.h"
#include "platform/Shell.h"
#include "platform/SoftwareUpdater.h"
#include "platform/Window.h"
#include "platform/Workspace.h"

namespace quillary {

// The ports the controller talks through; all outlive the controller.
struct Ports {
    Shell& shell;
    Preferences& preferences;
    MainQueue& mainQueue;
    BackgroundRunner& background;
    // Checks of the author's tools, off the main thread; never shares a
    // thread with the build's steps, which follow each other.
    BackgroundRunner& checks;
    Window& window;
    Workspace& workspace;
    Notifier& notifier;
    FileWriter& fileWriter;  // the Kindle package, in the folder its converter works in
    SoftwareUpdater& softwareUpdater;
};

// Where things are on this machine; filled by the program's start-up (or a
// test) from the environment, never looked up by the controller itself.
struct Locations {
    Resources resources;
    std::string dataHome;        // $XDG_DATA_HOME, else ~/.local/share
    std::string textutilPath;    // $QUILLARY_TEXTUTIL, else quillary-textutil beside the executable
    // No converter named by $QUILLARY_TEXTUTIL: the build reads rich text
    // itself, and runs the program above for anything else.
    bool readRtfInProcess = false;
    std::string tempParent;      // where the Kindle converter's private folders are made; empty: $TMPDIR or /tmp
    std::string epubcheckCommand;  // EPUBCheck's command line without the book; "" when not installed
};

// Preference keys.
namespace prefs {
inline constexpr const char* kBuildKindle = "buildKindle";
inline constexpr const char* kEpub3 = "epub3";
inline constexpr const char* kParentDirectory = "parentDirectory";
inline constexpr const char* kReviewPub = "reviewPub";
inline constexpr const char* kReviewKindle = "reviewKindle";
inline constexpr const char* kShowInFinder = "showInFinder";
inline constexpr const char* kShowLaunch = "showLaunch";
inline constexpr const char* kDefaultLang = "defaultLang";
inline constexpr const char* kKindleViewer = "kindleViewer";
inline constexpr const char* kCheckAfterBuild = "checkAfterBuild";
std::map<std::string, std::string> registeredDefaults();
}  // namespace prefs

// What the EPUB step hands on to the Kindle step and the report.
struct MadeEpub {
    BuildResult result;  // the EPUB's part of it
    package::PackageModel model;
    package::Templates templates;
    package::Rendering rendering;
};

class VoveZedevir : public SoftwareUpdaterDelegate {
public:
    VoveZedevir(Ports ports, Locations locations, Localizer localizer);
    VoveZedevir(const VoveZedevir&) = delete;
    VoveZedevir& operator=(const VoveZedevir&) = delete;
    ~VoveZedevir() override;

    // ---- The build's steps (controller/BuildDriver.cpp, BuildSteps.cpp; app/Completion.cpp)
    void makeQuillary();
    void savePanelEndedWithName(const std::string& name, const std::string& folder, int returnCode);
    void extractHTML();  // background: the manuscript converted
    void extractComplete(std::string html, StageTimes::Span converting);
    void extractFailed();
    void formattingError();
    void buildePub(std::string html, StageTimes::Span converting);  // background: the EPUB made
    void lineComplete(std::int64_t linesRead);
    void ePubComplete(std::shared_ptr<const MadeEpub> made);
    // The make-failure alert for an EPUB that could not be written.
    void archiveFailed();
    void buildKindle(std::shared_ptr<const MadeEpub> made);  // background: the Kindle file made
    void booksComplete();

    // The application data folder ($XDG_DATA_HOME/Quillary), made on demand.
    std::optional<std::string> applicationDirectory() const;
    std::string defaultBookName() const;
    bool isBuilding() const { return building; }
    // Status line and progress bar back to idle.
    void hideBuildProgress();
    // A window field as the package documents take it: markup characters
    // escaped, then normalised with the book-information setting.
    std::string publicationForm(const std::string& entry, bool epub3) const;

    // ---- Kindle checks (controller/KindleChecks.cpp) -------------------------
    // Applies the check box's rules at once; an old kindlegen is alerted
    // when its version check, run through the checks runner, reports.
    void noKindleGen();
    void kindleGenAlertEnded(int returnCode);
    void noKindleMac();
    void noKindleMacDidEnd(int returnCode);
    std::string kindlegenPath() const;
    // The e-book viewer that stands for the Kindle reading application: the
    // "kindleViewer" preference, else the first of ebook-viewer, foliate found.
    std::optional<std::string> kindleViewer() const;

    // ---- Start-up and software update (app/SoftwareUpdate.cpp) ---------------
    // Becomes the updater's delegate, then checks a Kindle choice kept from
    // an earlier run.
    void applicationDidFinishLaunching();
    // Keep the installed converter across an update.
    void updaterWillInstallUpdate() override;
    void updaterWillRelaunchApplication() override;

    // ---- Validation (app/Validation.cpp) --------------------------------------
    // Help → Check Book…: an open panel for a book, then checkBook.
    void selectBookToCheck();
    // Runs EPUBCheck on the book through the checks runner and shows its
    // verdict in an alert; the verdict is kept in `validation`.
    void checkBook(const std::string& epubPath);
    void bookChecked(const BookCheck& check, const std::string& epubPath);

    // ---- Manuscript selection (app/Manuscript.cpp) ---------------------------
    void selectManuscript();
    void openPanelDidEnd(int returnCode, const std::string& path);
    bool openFile(const std::string& path);  // application:openFile:
    // Whether a manuscript without book information resets the fields: the
    // window leaves the first one's alone (the author may have typed into
    // them before choosing it); the command line has nothing typed to keep.
    enum class FieldFilling { KeepFieldsOfFirst, Always };
    void loadManuscript(FieldFilling filling = FieldFilling::KeepFieldsOfFirst);
    // Copies a converter to kindlegenPath() with mode 0755; false on failure.
    bool installKindlegen(const std::string& path);
    // Loads the manuscript now, or after the running build has ended.
    void takeManuscript(const std::string& path, FieldFilling filling = FieldFilling::KeepFieldsOfFirst);
    // The book-information text from the data folder, else the manuscript's
    // folder; nullopt when neither has one.
    std::optional<std::string> readBookInformation() const;
    // The file readBookInformation reads; nullopt when neither has a text.
    std::optional<std::string> bookInformationPath() const;

    // ---- The loaded manuscript -----------------------------------------------
    std::string theFile;
    std::string root;  // its folder

    // ---- The running build, and the last one -----------------------------------
    // Taken when the build starts; empty before the first build.
    std::optional<BuildRequest> request;
    BuildResult result;  // the last build's, for reports
    std::vector<Alert> alertsShown;  // every alert shown, in order, for the command line's report
    std::optional<BookCheck> validation;  // the last check's verdict, when one has ended

    // ---- Ports and services --------------------------------------------------
    Ports ports;
    Locations locations;
    const Localizer texts;

    // Looks up a localised text.
    std::string localized(const std::string& key) const { return texts.text(key); }
    // Shows an alert on the window and records it for the build's report.
    void showAlert(Alert alert);
    // A single-button critical alert from localised keys; `argument` fills
    // the message's "%@" when given.
    void showSimpleAlert(const std::string& titleKey, const std::string& messageKey,
                         const std::vector<std::string>& titleArguments = {},
                         const std::vector<std::string>& messageArguments = {});
    // Ends the running build: the make command comes back and a manuscript
    // chosen meanwhile is loaded now. Called by every step that ends a build.
    void endBuild();

    // Queue a step on the main thread without waiting / start one in the
    // background (one at a time).
    void postToMain(std::function<void()> step);
    void startInBackground(std::function<void()> step);

private:
    bool building = false;
    std::optional<std::string> manuscriptChosenDuringBuild;
    // The converter set aside while an update installs.
    std::optional<std::string> keptConverter;

    // The kindlegen version check: one at a time, so a checks runner never
    // waits on the main thread; a request meanwhile runs after it.
    void checkKindlegenVersion(const std::string& kindlegen);
    void kindlegenVersionChecked(bool recent);
    bool kindlegenCheckRunning = false;
    std::optional<std::string> kindlegenToCheckNext;
    // Cut by the destructor: a check that ends after the controller has gone
    // drops its verdict.
    std::shared_ptr<Lifeline> lifeline = std::make_shared<Lifeline>();
};

}  // namespace quillary
