#include "app/Completion.h"

#include "app/PreferenceKeys.h"
#include "app/ProblemReport.h"
#include "base/Text.h"
#include "kindle/KindleConverter.h"
#include "manuscript/Conversion.h"
#include "platform/Paths.h"

namespace quillary::app {

namespace {

// A resources folder without its catalogues would leave the author with the
// bare keys and no reason; the reason matters more than the language.
Alert notWrittenAlert(const std::string& reason, const Localizer& texts) {
    if (texts.has("MakeFailTitle") && texts.has("ArchiveFailMsg"))
        return simpleAlert(texts, "MakeFailTitle", "ArchiveFailMsg", {}, {reason});
    Alert alert;
    alert.titleKey = "MakeFailTitle";
    alert.title = "The book could not be made";
    alert.message = "The EPUB file could not be written: " + reason + ".";
    alert.defaultButton = texts.text("OK");
    alert.critical = true;
    return alert;
}

}  // namespace

Alert simpleAlert(const Localizer& texts, const std::string& titleKey, const std::string& messageKey,
                  const std::vector<std::string>& titleArguments, const std::vector<std::string>& messageArguments) {
    Alert alert;
    alert.titleKey = titleKey;
    alert.title = text::format(texts.text(titleKey), titleArguments);
    alert.message = text::format(texts.text(messageKey), messageArguments);
    alert.defaultButton = texts.text("OK");
    alert.critical = true;
    return alert;
}

std::optional<Alert> epubFailureAlert(const EpubFailure& failure, const BuildRequest& request, const Localizer& texts) {
    const std::string name = paths::lastComponent(request.manuscript);
    switch (failure.kind) {
        case EpubFailure::Kind::FormattingError:
            // What the converter found (a password, a damaged package) is
            // said as it is: advice to save the file again would not help.
            if (!failure.reason.empty())
                return simpleAlert(texts, "FormattingErrTitle", "UnreadableMsg", {name}, {name, failure.reason});
            return simpleAlert(texts, "FormattingErrTitle", "FormattingErrMsg", {name}, {name});
        case EpubFailure::Kind::TooLarge: {
            // Whole megabytes, rounded up, so that a file just over the limit
            // does not read as exactly the limit.
            const std::uint64_t megabytes = (failure.manuscriptBytes + (1U << 20) - 1) >> 20;
            return simpleAlert(
                texts, "TooLargeTitle", "TooLargeMsg", {name},
                {name, std::to_string(megabytes), std::to_string(manuscript::kMaxManuscriptBytes >> 20)});
        }
        case EpubFailure::Kind::ConversionFailed: return simpleAlert(texts, "MakeFailTitle", "MakeFailMsg", {}, {name});
        case EpubFailure::Kind::NotWritten: return notWrittenAlert(failure.reason, texts);
        case EpubFailure::Kind::Cancelled: break;
    }
    return std::nullopt;
}

BuildResult buildNotStarted(const std::system_error& error) {
    BuildResult result;
    result.epub =
        failure(EpubFailure{EpubFailure::Kind::NotWritten, std::string("the build could not start (") + error.what() +
                                                               "); close some programs and try again"});
    return result;
}

std::optional<Alert> kindleFailureAlert(KindleFailure failure, const BuildRequest& request, const Localizer& texts) {
    switch (failure) {
        case KindleFailure::NoConverter: break;
        case KindleFailure::ConversionFailed:
            return simpleAlert(texts, "KindleFailTitle", "KindleFailMsg", {}, {request.bookName});
        case KindleFailure::NotAKindleFile:
            return simpleAlert(texts, "KindleFailTitle", "KindleNotMobiMsg", {}, {request.bookName});
        case KindleFailure::DiskFull:
            return simpleAlert(texts, "KindleFailTitle", "KindleDiskFullMsg", {}, {request.bookName});
        case KindleFailure::TimedOut: {
            const std::string minutes = std::to_string(kindle::kConversionTimeLimit.count());
            return simpleAlert(texts, "KindleFailTitle", "KindleTimeLimitMsg", {}, {minutes, request.bookName});
        }
        case KindleFailure::Stopped: return simpleAlert(texts, "KindleFailTitle", "KindleStoppedMsg", {}, {});
    }
    return std::nullopt;
}

std::optional<Alert> problemAlert(const Problems& problems, const Localizer& texts) {
    const std::optional<ProblemAlert> first = firstProblem(problems);
    if (!first) return std::nullopt;
    return simpleAlert(texts, first->titleKey, first->messageKey, {}, first->messageArguments);
}

Notification readyNotification(const BuildRequest& request) {
    // Fixed texts: the notification is the application speaking, not a
    // translated message.
    return {"A Quillary is Made", text::format("Your book \"%@\" is ready for review.", {request.bookName})};
}

void openResults(const BuildRequest& request, const BuildResult& result, const Preferences& preferences,
                 Workspace& workspace, const std::function<std::optional<std::string>()>& findViewer) {
    if (preferences.integerForKey(prefs::kReviewPub) != 0) workspace.openFile(request.epubPath());
    // No viewer installed: nothing to open with, and nothing to say; the
    // Kindle checks warn about that when the option is chosen. A Kindle file
    // that was not made (none asked for, or the step failed) is not opened:
    // the viewer would show an older file of that name, or an error.
    const bool kindleMade = result.kindle && *result.kindle;
    if (kindleMade && preferences.integerForKey(prefs::kReviewKindle) != 0)
        if (const std::optional<std::string> viewer = findViewer())
            workspace.openFileWithApplication(request.kindlePath(), *viewer);
    if (preferences.integerForKey(prefs::kShowInFolder) != 0) workspace.showInFolder(request.epubPath());
}

void showIdle(Window& window, const Localizer& texts) {
    window.setStatusHidden(true);
    window.setStatusText(texts.text("LoadingMsg"));
    window.setProgressHidden(true);
}

std::string chaptersStatus(const BuildResult& result, const Localizer& texts) {
    switch (result.chapters) {
        case ChapterSource::Bookmarks: return texts.text("Chapters from the manuscript's bookmark: lines.");
        case ChapterSource::Headings:
            return text::format(
                texts.text("Chapters from the manuscript's level %@ headings (it has no bookmark: line)."),
                {std::to_string(result.chapterLevel)});
        case ChapterSource::None: break;
    }
    return texts.text("No chapters: the manuscript has neither bookmark: lines nor headings.");
}

}  // namespace quillary::app
