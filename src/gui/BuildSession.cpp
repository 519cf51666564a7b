#include "gui/BuildSession.h"

#include <system_error>
#include <utility>

#include "app/BookInformation.h"
#include "app/BuildReportText.h"
#include "app/Completion.h"
#include "app/PreferenceKeys.h"
#include "base/Text.h"
#include "controller/BuildBook.h"
#include "platform/Paths.h"

namespace quillary::gui {

namespace {

namespace prefs = app::prefs;
using controller::BuildStage;

// The progress bar counts in these steps.
constexpr double kProgressSteps = 1000;

}  // namespace

BuildSession::BuildSession(BuildSessionPorts ports, BuildSessionPartners partners, const app::Locations& locations,
                           const Localizer& texts)
    : ports_(ports), partners_(partners), locations_(locations), texts_(texts), resources_(locations_, texts) {}

BuildSession::~BuildSession() {
    lifeline_->cut();
    ports_.background.waitIdle();
}

void BuildSession::make() {
    if (building_) return;  // one build at a time: the command is disabled meanwhile
    const SavePanelRequest request{
        app::defaultBookName(app::fieldsOf(ports_.window), partners_.manuscripts.manuscript()),
        paths::deletingLastComponent(partners_.manuscripts.manuscript()), "epub"};
    ports_.window.beginSavePanel(request, [this](const std::string& name, const std::string& folder, int returnCode) {
        savePanelEnded(name, folder, returnCode);
    });
}

void BuildSession::savePanelEnded(const std::string& name, const std::string& folder, int returnCode) {
    if (returnCode != 1 || building_) return;
    const std::string& manuscript = partners_.manuscripts.manuscript();
    const BookInfo fields = app::fieldsOf(ports_.window);
    title_ = text::trimBlanksAndTabs(text::withLineBreaksAsBlanks(fields.title));
    if (title_.empty()) title_ = app::defaultTitle(manuscript);
    BuildRequest request = app::makeBuildRequest(manuscript, fields,
                                                 {.destinationFolder = folder,
                                                  .bookName = paths::deletingExtension(name),
                                                  .epub3 = ports_.preferences.boolForKey(prefs::kEpub3),
                                                  .kindle = ports_.preferences.integerForKey(prefs::kBuildKindle) != 0,
                                                  .entryTime = app::entryTimeFromEnvironment()});
    // Without it the build goes on: the fields are typed again next time.
    if (const Result<std::string> data = app::applicationDirectory(locations_))
        (void)app::storeBookInformation(*data, manuscript, fields);
    start(std::move(request));
}

void BuildSession::start(BuildRequest request) {
    building_ = true;
    lastDestination_ = request.destinationFolder;
    ports_.window.setMakeEnabled(false);
    ports_.window.setProgressIndeterminate(true);
    ports_.window.setProgressHidden(false);
    // Not the last build's word ("stopped") while this one reads the manuscript.
    ports_.window.setStatusText(texts_.text("LoadingMsg"));
    ports_.window.setStatusHidden(false);

    const std::shared_ptr<Lifeline> lifeline = lifeline_;
    progress_ = std::make_shared<app::PostedProgress>(
        ports_.mainQueue,
        [this, lifeline](BuildStage stage) {
            if (lifeline->alive()) showStage(stage);
        },
        [this, lifeline](double fraction) {
            if (lifeline->alive()) showFraction(fraction);
        });
    // The build's one hop off the main thread, and its one hop back.
    const auto tools = std::make_shared<const controller::BuildTools>(
        resources_.tools(request.kindle ? partners_.kindle.findConverter() : std::nullopt));
    const BuildRequest kept = request;
    try {
        ports_.background.start([this, request = std::move(request), tools, progress = progress_, lifeline] {
            const controller::BuildPorts ports{ports_.shell, ports_.authorFiles, resources_.book(), *tools};
            const BuildResult result = controller::buildBook(request, ports, *progress);
            lifeline->post(ports_.mainQueue, [this, request, result] { finished(request, result); });
        });
    } catch (const std::system_error& error) {
        // At the limit on processes or memory no thread can start: the
        // build ends as any failed one, and the window stays.
        finished(kept, app::buildNotStarted(error));
    }
}

void BuildSession::showStage(BuildStage stage) {
    Window& window = ports_.window;
    if (stage == BuildStage::Normalise) {
        window.setProgressRange(0, kProgressSteps);
        window.setProgressValue(0);
        window.setProgressIndeterminate(false);
        window.setStatusText(texts_.text("ePubGenMsg"));
    }
    if (stage == BuildStage::Kindle) {
        window.setProgressIndeterminate(true);
        window.setStatusText(texts_.text("KindleGenMsg"));
    }
}

void BuildSession::showFraction(double fraction) { ports_.window.setProgressValue(fraction * kProgressSteps); }

void BuildSession::finished(const BuildRequest& request, const BuildResult& result) {
    progress_.reset();
    if (result.epub) {
        completed(request, result);
        return;
    }
    app::showIdle(ports_.window, texts_);
    // A build the author stopped needs no report, only the word that the
    // earlier book is as it was.
    if (const auto alert = app::epubFailureAlert(result.epub.reason(), request, texts_)) {
        showReport(app::describeBuild(title_, request, result, texts_, alert));
    } else {
        ports_.window.setStatusText(texts_.text("BuildStoppedMsg"));
        ports_.window.setStatusHidden(false);
    }
    endBuild();
}

void BuildSession::completed(const BuildRequest& request, const BuildResult& result) {
    std::optional<Alert> kindleAlert;
    if (result.kindle && !*result.kindle) {
        const KindleFailure failure = result.kindle->reason();
        // The check explains what is missing, with what to install.
        if (failure == KindleFailure::NoConverter) partners_.kindle.checkConverter();
        else kindleAlert = app::kindleFailureAlert(failure, request, texts_);
    }
    const app::Notification ready = app::readyNotification(request);
    ports_.notifier.deliver(ready.title, ready.message);
    app::showIdle(ports_.window, texts_);
    app::openResults(request, result, ports_.preferences, ports_.workspace,
                     [this] { return partners_.kindle.viewer(); });
    BuildReport report = app::describeBuild(title_, request, result, texts_, std::nullopt, kindleAlert);
    const bool check = ports_.preferences.boolForKey(prefs::kCheckAfterBuild);
    if (check) {
        report.checking = true;
        report.checkVerdict =
            text::format(texts_.text("Checking %@ with EPUBCheck\u2026"), {paths::lastComponent(*result.epub)});
    }
    showReport(report);
    endBuild();
    if (check) checkBook(std::move(report));
}

void BuildSession::showReport(const BuildReport& report) {
    ++reportsShown_;
    ports_.window.showBuildReport(report);
}

// The verdict joins the build's report, unless a later build's report has
// taken its place meanwhile.
void BuildSession::checkBook(BuildReport report) {
    const int shown = reportsShown_;
    const std::shared_ptr<Lifeline> lifeline = lifeline_;
    const std::string book = report.bookPath;
    partners_.checker.check(book, [this, lifeline, shown,
                                   report = std::move(report)](const std::optional<epub::BookCheck>& verdict) mutable {
        if (!lifeline->alive() || shown != reportsShown_) return;
        app::addBookCheck(report, verdict, texts_);
        showReport(report);
    });
}

// Every build ends here: the make command comes back and a manuscript
// chosen meanwhile is loaded now.
void BuildSession::endBuild() {
    building_ = false;
    ports_.window.setMakeEnabled(!partners_.manuscripts.manuscript().empty());
    if (const auto chosen = std::exchange(manuscriptChosenDuringBuild_, std::nullopt))
        partners_.manuscripts.load(*chosen);
    ports_.window.buildEnded();
}

void BuildSession::takeManuscript(const std::string& path) {
    // A running build works on its own request; the window shows the
    // manuscript it builds until it ends.
    if (building_) {
        manuscriptChosenDuringBuild_ = path;
        return;
    }
    partners_.manuscripts.load(path);
}

void BuildSession::cancel() {
    if (progress_) progress_->cancel();
}

}  // namespace quillary::gui
