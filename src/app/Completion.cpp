#include "app/ProblemReport.h"
#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/BuildFolder.h"

namespace quillary {

std::string joinedList(const std::vector<std::string>& entries) {
    std::string joined;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) joined += ", ";
        joined += entries[i];
    }
    return joined;
}

namespace {

// The ones that stop media from showing come first.
constexpr ProblemKind kProblemKinds[] = {
    {"invalidMediaFilenames", "badFilenameTitle", "badFilenameMsg", &VoveZedevir::invalidMediaFilenames},
    {"missingFiles", "missingFilesTitle", "missingFilesMsg", nullptr, &VoveZedevir::missingFiles},
    {"noEnd", "noEndTitle", "noEndsMsg", &VoveZedevir::noEnd, nullptr, &VoveZedevir::unclosedNote},
    {"duplicateMarks", "dupeMarksTitle", "dupeMarksMsg", &VoveZedevir::duplicateMarks},
    {"badLinks", "badLinksTitle", "badLinksMsg", nullptr, &VoveZedevir::badLinks},
    {"missingMarks", "missingMarksTitle", "missingMarksMsg", nullptr, &VoveZedevir::missingMarks},
    {"badFormatting", "negMarginsTitle", "negMarginsMsg", &VoveZedevir::badFormatting},
    // Last: the book reads well for most, and the author may add the
    // descriptions once everything else is right.
    {"imagesWithoutAlternative", "noAltTextTitle", "noAltTextMsg", nullptr,
     &VoveZedevir::imagesWithoutAlternative},
};

}  // namespace

std::span<const ProblemKind> problemKinds() { return kProblemKinds; }

std::optional<ProblemAlert> firstProblem(const VoveZedevir& build) {
    // Only the first problem is reported: the author fixes one kind of
    // problem at a time.
    for (const ProblemKind& kind : kProblemKinds) {
        if (kind.flag && build.*kind.flag) {
            std::vector<std::string> arguments;
            if (kind.where) arguments.push_back(build.*kind.where);
            return ProblemAlert{kind.titleKey, kind.messageKey, std::move(arguments)};
        }
        if (kind.list && !(build.*kind.list).empty())
            return ProblemAlert{kind.titleKey, kind.messageKey, {joinedList(build.*kind.list)}};
    }
    return std::nullopt;
}

void VoveZedevir::booksComplete() {
    // Fixed texts: the notification is the application speaking, not a
    // translated message.
    ports.notifier.deliver("A Quillary is Made",
                           text::format("Your book \"%@\" is ready for review.", {saveName}));
    package::removeBuildFolder(tempDirectoryPath);

    hideBuildProgress();

    const std::string book = saveRoot + "/" + saveName;
    if (ports.preferences.integerForKey(prefs::kReviewPub) != 0) ports.workspace.openFile(book + ".epub");
    if (ports.preferences.integerForKey(prefs::kReviewKindle) != 0) {
        // No viewer installed: nothing to open with, and nothing to say;
        // the Kindle checks warn about that when the option is chosen.
        if (const auto viewer = kindleViewer()) ports.workspace.openFileWithApplication(book + ".mobi", *viewer);
    }
    if (ports.preferences.integerForKey(prefs::kShowInFinder) != 0) ports.workspace.showInFolder(book + ".epub");

    problemAlert.reset();
    if (const auto problem = firstProblem(*this)) {
        showSimpleAlert(problem->titleKey, problem->messageKey, {}, problem->messageArguments);
        problemAlert = alertsShown.back();
    }
    endBuild();
    if (!epubPath.empty() && ports.preferences.boolForKey(prefs::kCheckAfterBuild)) checkBook(epubPath);
}

}  // namespace quillary
