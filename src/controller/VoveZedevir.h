#pragma once
// The controller: one object that holds the build state and carries a build
// from step to step. Its operations are defined in the folder of their
// subsystem, one file per area (build/, epub/, kindle/, app/).
//
// Threads: every operation runs on the main thread unless it says
// "background". The background steps (extractHTML, buildePub, buildKindle)
// run one at a time through the BackgroundRunner and end by posting the next
// step to the MainQueue; the build state is therefore not locked.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BookCheck.h"
#include "controller/Localizer.h"
#include "controller/Resources.h"
#include "epub/BookInfo.h"
#include "epub/BuildFolder.h"
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
    FileWriter& fileWriter;  // the package's files in the build folder
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
    std::string tempParent;      // where private build folders are made; empty: $TMPDIR or /tmp
    std::string epubcheckCommand;  // EPUBCheck's command line without the book; "" when not installed
};

// Preference keys and the language table.
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

inline constexpr int kLanguageCount = 20;
extern const char* const languages[kLanguageCount];  // codes: "en", "ar", ...
extern const char* const langNames[kLanguageCount];  // English titles

// The working values of one run of buildePub, handed between its passes.
struct EpubRun {
    std::map<std::string, std::string> marks;  // mark name -> "sectionN.xhtml"
    bool rightToLeftMarksSeen = false;
    std::string sectionTemplate;
    std::string pendingName;
    std::string contentsList;
    std::string contentsTitle;
    std::string endnotesTitle;
    bool contentsPlaced = false;
    bool startPlaced = false;
    std::vector<std::string> images;  // first entry: the cover
    std::vector<std::string> media;
    int imagesShown = 0;              // image directives
    int headingEntries = 0;           // contents entries of the manuscript's named headings
    std::string coverExtension;       // "jpg" or "png"
    std::string ncxTemplate;          // filled at set-up but for $navmap
    std::string opfTemplate;          // filled at set-up but for $spine, $manifest, $guide
};

class VoveZedevir : public SoftwareUpdaterDelegate {
public:
    VoveZedevir(Ports ports, Locations locations, Localizer localizer);
    VoveZedevir(const VoveZedevir&) = delete;
    VoveZedevir& operator=(const VoveZedevir&) = delete;
    ~VoveZedevir() override;

    // ---- Build driver (build/BuildDriver.cpp) --------------------------------
    void makeQuillary();
    void savePanelEndedWithName(const std::string& name, const std::string& folder, int returnCode);
    void extractComplete();
    void lineComplete();
    void ePubComplete();
    // The application data folder ($XDG_DATA_HOME/Quillary), made on demand.
    std::optional<std::string> applicationDirectory() const;
    std::string defaultBookName() const;
    bool isBuilding() const { return building; }
    // The make-failure alert for an EPUB that could not be written.
    void archiveFailed();
    // Status line and progress bar back to idle.
    void hideBuildProgress();
    void writeBookInformationFile(const std::string& isbnTyped) const;
    // A window field as the package documents take it: markup characters
    // escaped, then normalised with the book-information setting.
    std::string publicationForm(const std::string& entry) const;

    // ---- Conversion (build/Conversion.cpp) -----------------------------------
    void extractHTML();  // background
    void extractFailed();
    void formattingError();
    ShellResult executeShellCommandSynchronously(
        const std::string& commandLine, const std::string& workingFolder = {},
        std::optional<std::chrono::milliseconds> timeLimit = std::nullopt);

    // ---- Normalisation and stylesheet (build/Normalise.cpp, build/Stylesheet.cpp)
    std::string fixEncodings(const std::string& text, bool forBookInfo) const;
    std::string fixLinks(const std::string& line);  // appends to badLinks
    std::string buildStyle();

    // ---- EPUB assembly (epub/) -----------------------------------------------
    void buildePub();  // background
    std::string newSection() const;
    std::string writeSection(const std::string& sectionTemplate);
    std::string insertNavPointForName(const std::string& name, const std::string& toc);
    void marksPass(EpubRun& run);
    void sectionsPass(EpubRun& run);
    void resolveCrossReferences(const EpubRun& run);  // rewrites `line`
    void setUpPackage(EpubRun& run);
    void finishPackage(EpubRun& run);
    // Images, audio and video (epub/Media.cpp): rewrite `line`, add to the lists.
    void mediaDirective(EpubRun& run);
    // `alternative`: the text alternative from the paragraph after the image.
    void imageDirective(EpubRun& run, const std::optional<std::string>& alternative = std::nullopt);
    std::string coverImageTypeIn(const std::string& imagesFolder);
    void insertImages(const std::vector<std::string>& images, const std::string& imagesFolder,
                      const std::vector<std::string>& media, const std::string& mediaFolder);
    // Endnotes (epub/Endnotes.cpp).
    void processEndnotesForKindle(bool forKindle);
    void insertEpubEndnotes(const std::string& title);

    // ---- Kindle (kindle/) ----------------------------------------------------
    void buildKindle();  // background
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

    // ---- Completion (app/Completion.cpp) -------------------------------------
    void booksComplete();

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

    // ---- Build state ---------------------------------------------------------
    // Manuscript.
    std::string theFile;
    std::string root;
    // Destination.
    std::string saveName;
    std::string saveRoot;
    // Book information in publication form (see savePanelEndedWithName).
    BookInfo bookInfo;
    // Working data.
    std::vector<std::string> lines;
    std::atomic<std::int64_t> currLine{0};
    std::string line;
    std::string styleText;
    std::string tempDirectoryPath;
    package::BuildWrites buildWrites;  // every file written into tempDirectoryPath
    // EPUB accumulators.
    std::string pageText;
    std::int32_t sectionNumber = 1;
    std::int32_t navPoint = 1;
    std::string manifest;
    std::string spine;
    std::string navmap;
    std::string guide;
    std::string endnotes;
    std::int32_t noteNumber = 1;
    // Problem flags.
    bool badFormatting = false;
    bool noEnd = false;
    std::string unclosedNote;  // the first words of the first note that never closed
    bool invalidMediaFilenames = false;
    bool duplicateMarks = false;
    std::vector<std::string> badLinks;
    std::vector<std::string> missingFiles;
    std::vector<std::string> missingMarks;
    std::vector<std::string> imagesWithoutAlternative;

    // ---- Results of the last build, for reports ------------------------------
    std::string epubPath;   // the EPUB at the destination; empty when not made
    std::string epubError;  // why the EPUB was not made, for the make-failure alert
    std::string mobiPath;   // the Kindle file at the destination; empty when not made
    std::vector<Alert> alertsShown;  // every alert shown, in order, for the command line's report
    std::optional<Alert> problemAlert;  // the completion report's alert, if any
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
    // During a build, the choices taken when the save panel was confirmed:
    // the check boxes may change meanwhile without changing the book.
    bool epub3() const { return choices ? choices->epub3 : ports.preferences.boolForKey(prefs::kEpub3); }
    bool kindleChosen() const {
        return choices ? choices->kindle : ports.preferences.integerForKey(prefs::kBuildKindle) != 0;
    }

    // Ends the running build: the make command comes back and a manuscript
    // chosen meanwhile is loaded now. Called by every step that ends a build.
    void endBuild();

    // Queue a step on the main thread without waiting / start one in the
    // background (one at a time).
    void postToMain(void (VoveZedevir::*step)());
    void startInBackground(void (VoveZedevir::*step)());

private:
    struct OutputChoices {
        bool epub3 = true;
        bool kindle = false;
    };

    bool building = false;
    std::optional<OutputChoices> choices;
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
