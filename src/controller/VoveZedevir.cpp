#include "controller/VoveZedevir.h"

#include <new>

#include "base/Text.h"

namespace quillary {

std::map<std::string, std::string> prefs::registeredDefaults() {
    return {
        {kBuildKindle, "0"},   {kEpub3, "1"},        {kParentDirectory, "~/Documents"},
        {kReviewPub, "1"},     {kReviewKindle, "1"}, {kShowInFinder, "1"},
        {kShowLaunch, "1"},    {kDefaultLang, "0"},  {kCheckAfterBuild, "0"},
    };
}

VoveZedevir::VoveZedevir(Ports ports_, Locations locations_, Localizer localizer)
    : ports(ports_), locations(std::move(locations_)), texts(std::move(localizer)) {}

VoveZedevir::~VoveZedevir() {
    lifeline->cut();
    ports.softwareUpdater.setDelegate(nullptr);
}

void VoveZedevir::showAlert(Alert alert) {
    alertsShown.push_back(alert);
    ports.window.showAlert(alert);
}

void VoveZedevir::showSimpleAlert(const std::string& titleKey, const std::string& messageKey,
                                  const std::vector<std::string>& titleArguments,
                                  const std::vector<std::string>& messageArguments) {
    Alert alert;
    alert.titleKey = titleKey;
    alert.title = text::format(localized(titleKey), titleArguments);
    alert.message = text::format(localized(messageKey), messageArguments);
    alert.defaultButton = localized("OK");
    alert.critical = true;
    showAlert(std::move(alert));
}

void VoveZedevir::postToMain(std::function<void()> step) { ports.mainQueue.post(std::move(step)); }

void VoveZedevir::startInBackground(std::function<void()> step) {
    ports.background.start([this, step = std::move(step)] {
        // Nothing else is thrown; a manuscript too big for the memory must
        // still end its build, with the make-failure alert.
        try {
            step();
        } catch (const std::bad_alloc&) {
            postToMain([this] {
                result.epubPath.clear();
                result.epubError = "there is not enough memory";
                archiveFailed();
            });
        }
    });
}

void VoveZedevir::endBuild() {
    building = false;
    ports.window.setMakeEnabled(!theFile.empty());
    if (manuscriptChosenDuringBuild) {
        theFile = *manuscriptChosenDuringBuild;
        manuscriptChosenDuringBuild.reset();
        loadManuscript();
    }
    ports.window.buildEnded();
}

}  // namespace quillary
