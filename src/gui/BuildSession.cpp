#include "gui/BuildSession.h"

#include <system_error>
#include <utility>

#include "app/BookInformation.h"
#include "app/Completion.h"
#include "app/PreferenceKeys.h"
#include "controller/BuildBook.h"
#include "platform/Paths.h"

namespace quillary::gui {

namespace {

namespace prefs = app::prefs;
using controller::BuildStage;

// The window's fields as typed, in the form the book information takes.
BookInfo fieldsOf(const Window& window) {
    return {.title = window.fieldText(BookField::Title),
            .author = window.fieldText(BookField::Author),
            .publisher = window.fieldText(BookField::Publisher),
            .copyright = window.fieldText(BookField::Copyright),
            .date = app::formatDate(window.pubDate()),
            .isbn = window.fieldText(BookField::Isbn),
            .genre = window.fieldText(BookField::Genre),
            .language = std::to_string(window.languageIndex())};
}

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
    const SavePanelRequest request{app::defaultBookName(fieldsOf(ports_.window)),
                                   paths::deletingLastComponent(partners_.manuscripts.manuscript()), "epub"};
    ports_.window.beginSavePanel(request, [this](const std::string& name, const std::string& folder, int returnCode) {
        savePanelEnded(name, folder, returnCode);
    });
}

void BuildSession::savePanelEnded(const std::string& name, const std::string& folder, int returnCode) {
    if (returnCode != 1 || building_) return;
    const std::string& manuscript = partners_.manuscripts.manuscript();
    const BookInfo fields = fieldsOf(ports_.window);
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
            const controller::BuildPorts ports{ports_.shell, ports_.authorFiles, ports_.fileWriter, resources_.book(),
                                               *tools};
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
    if (const auto alert = app::epubFailureAlert(result.epub.reason(), request, texts_))
        ports_.window.showAlert(*alert);
    endBuild();
}

void BuildSession::completed(const BuildRequest& request, const BuildResult& result) {
    if (result.kindle && !*result.kindle) {
        const KindleFailure failure = result.kindle->reason();
        // The check explains what is missing; its alert goes up before the
        // completion report.
        if (failure == KindleFailure::NoConverter) partners_.kindle.checkConverter();
        else if (const auto alert = app::kindleFailureAlert(failure, request, texts_)) ports_.window.showAlert(*alert);
    }
    const app::Notification ready = app::readyNotification(request);
    ports_.notifier.deliver(ready.title, ready.message);
    app::showIdle(ports_.window, texts_);
    app::openResults(request, ports_.preferences, ports_.workspace, [this] { return partners_.kindle.viewer(); });
    if (const auto alert = app::problemAlert(result.problems, texts_)) ports_.window.showAlert(*alert);
    endBuild();
    if (ports_.preferences.boolForKey(prefs::kCheckAfterBuild)) partners_.checker.check(*result.epub);
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
