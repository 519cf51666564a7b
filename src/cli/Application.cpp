#include "cli/Application.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <system_error>
#include <thread>

#include "app/BookChecker.h"
#include "app/BookInformation.h"
#include "app/BuildResources.h"
#include "app/Completion.h"
#include "app/KindleTools.h"
#include "app/PostedProgress.h"
#include "app/PreferenceKeys.h"
#include "base/Text.h"
#include "cli/Arguments.h"
#include "cli/BlockingQueue.h"
#include "cli/CliDesktop.h"
#include "cli/Preflight.h"
#include "cli/Report.h"
#include "cli/Terminal.h"
#include "controller/BuildBook.h"
#include "platform/AuthorFiles.h"
#include "platform/Files.h"
#include "platform/MemoryPreferences.h"
#include "platform/Paths.h"
#include "platform/PosixShell.h"

namespace quillary::cli {

namespace {

namespace prefs = app::prefs;
using controller::BuildStage;

// For the benchmark: how long each stage of the EPUB took, on standard error.
void tellStageTimes(const StageTimes& times) {
    const char* wanted = std::getenv("QUILLARY_TIMINGS");
    if (!wanted || std::string_view(wanted) != "1") return;
    const std::pair<const char*, StageTimes::Span> stages[] = {{"convert", times.convert},
                                                               {"normalise", times.normalise},
                                                               {"assemble", times.assemble},
                                                               {"documents", times.documents},
                                                               {"archive", times.archive}};
    for (const auto& [stage, took] : stages)
        std::fprintf(stderr, "quillary-timing: %s %lld\n", stage, static_cast<long long>(took.count()));
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    const char* pwd = std::getenv("PWD");
    char buffer[4096];
    const std::string here = ::getcwd(buffer, sizeof buffer) ? buffer : (pwd ? pwd : "");
    return paths::join(here, path);
}

// A script that asked for the report gets one on every path, refusals too.
int refuse(const std::string& reason, bool jsonReport) {
    std::fprintf(stderr, "quillary: %s\n", reason.c_str());
    if (jsonReport) std::fputs(refusalReportJson(reason).c_str(), stdout);
    return 2;
}

// Whether a build's words, though they make no command, ask for the report.
bool asksForJsonReport(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0] != "build") return false;
    for (std::size_t i = 1; i + 1 < arguments.size() && arguments[i] != "--"; ++i)
        if (arguments[i] == "--report" && arguments[i + 1] == "json") return true;
    return false;
}

// The command line has no window to keep responsive: a check runs at once.
class RunAtOnce : public BackgroundRunner {
public:
    void start(std::function<void()> step) override { step(); }
    void waitIdle() override {}
};

void applyFlags(const BuildOptions& options, BookInfo& fields) {
    const std::pair<const std::optional<std::string>*, std::string*> given[] = {
        {&options.title, &fields.title},         {&options.author, &fields.author},
        {&options.publisher, &fields.publisher}, {&options.copyright, &fields.copyright},
        {&options.isbn, &fields.isbn},           {&options.genre, &fields.genre}};
    for (const auto& [value, field] : given)
        if (*value) *field = **value;
    if (options.date) fields.date = app::formatDate(*options.date);
    if (options.language) fields.language = *options.language;
}

void tellProblems(const Problems& problems, const Localizer& texts, Terminal& terminal) {
    // A book without a cover is no fault, so it is not counted among them.
    if (problems.noCover) terminal.say(texts.text("noCoverMsg"));
    const std::vector<std::string> lines = problemLines(problems, texts);
    if (lines.empty()) return;
    terminal.say("The build found " + std::to_string(lines.size()) + " problem" + (lines.size() == 1 ? ":" : "s:"));
    for (const std::string& line : lines) terminal.say("  " + line);
}

}  // namespace

namespace {

// One run of `quillary build`: the arguments make the request, buildBook
// makes the book on a thread of its own while this one shows how far it
// is, and the result is told as the window would tell it.
class BuildCommand {
public:
    explicit BuildCommand(const BuildOptions& options)
        : options_(options),
          texts_(Localizer::load(locations_.resources.folder + "/locale", Localizer::languagesFromEnvironment())),
          workspace_(shell_, options.open),
          notifier_(terminal_),
          kindle_({shell_, workspace_, preferences_, terminal_, checks_, queue_}, locations_.dataHome, texts_) {
        preferences_.registerDefaults(prefs::registeredDefaults());
        if (!options.open)
            for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFolder})
                preferences_.setBool(key, false);
        terminal_.leaveUnprinted(problemTitleKeys());
    }

    int run() {
        if (options_.epub3) preferences_.setBool(prefs::kEpub3, *options_.epub3);
        const std::string manuscript = absolute(options_.manuscript);
        const Result<std::string> dataFolder = app::applicationDirectory(locations_);
        const auto stored = app::findBookInformation(dataFolder.value_or(""), manuscript);
        bool propertiesUsed = false;
        BookInfo fields = app::fieldsFromStored(manuscript, stored ? std::optional(stored->text) : std::nullopt,
                                                app::readDocumentProperties(manuscript), &propertiesUsed);
        terminal_.say(
            app::informationSourceLine(stored, manuscript, options_.title.has_value(), propertiesUsed, texts_));
        if (!stored)
            if (const std::string refused = app::besideInformationRefusal(manuscript, texts_); !refused.empty())
                terminal_.say(refused);
        applyFlags(options_, fields);
        if (const std::string advice = app::isbnCheckDigitAdvice(fields.isbn, texts_); !advice.empty())
            terminal_.say(advice);
        const std::string destination = options_.output.empty() ? paths::join(paths::deletingLastComponent(manuscript),
                                                                              app::defaultBookName(fields, manuscript))
                                                                : absolute(options_.output);
        if (const Outcome writable = checkDestination(destination); !writable)
            return refuse(writable.reason() + (options_.output.empty() ? " (name the book's file with -o)" : ""),
                          options_.jsonReport);
        if (options_.kindle) chooseKindle();

        const BuildRequest request =
            app::makeBuildRequest(manuscript, fields,
                                  {.destinationFolder = paths::deletingLastComponent(destination),
                                   .bookName = paths::deletingExtension(paths::lastComponent(destination)),
                                   .epub3 = preferences_.boolForKey(prefs::kEpub3),
                                   .kindle = preferences_.integerForKey(prefs::kBuildKindle) != 0,
                                   .entryTime = app::entryTimeFromEnvironment()});
        // Stored while the book is made (the store waits for the disk);
        // without it the build goes on, and the author knows to give the
        // fields again next time.
        const BuildResult result = build(request, [&] {
            const Outcome kept = dataFolder ? app::storeBookInformation(*dataFolder, manuscript, fields)
                                            : Outcome(failure(dataFolder.reason()));
            if (!kept) terminal_.say(text::format(texts_.text("InfoNotStoredMsg"), {kept.reason()}));
        });
        complete(request, result);
        return report(result);
    }

private:
    // As the check box does: Kindle on turns EPUB 3 off, and the converter
    // is checked before the build.
    void chooseKindle() {
        const bool wasEpub3 = preferences_.boolForKey(prefs::kEpub3);
        preferences_.setBool(prefs::kBuildKindle, true);
        preferences_.setBool(prefs::kEpub3, false);
        kindle_.checkConverter();
        queue_.runQueued();  // the version check's verdict
        if (wasEpub3) terminal_.say("--kindle: the book is made as EPUB 2, the version Kindle files are made from.");
    }

    // `meanwhile` runs on this thread once the build has started (or could
    // not start).
    BuildResult build(const BuildRequest& request, const std::function<void()>& meanwhile) {
        const app::BuildResources resources(locations_, texts_);
        const controller::BuildTools tools = resources.tools(request.kindle ? kindle_.findConverter() : std::nullopt);
        const controller::BuildPorts ports{shell_, authorFiles_, resources.book(), tools};
        const auto progress = std::make_shared<app::PostedProgress>(
            queue_, [this](BuildStage stage) { showStage(stage); },
            [this](double fraction) { terminal_.showProgress(fraction); });
        std::optional<BuildResult> result;
        std::thread worker;
        try {
            worker = std::thread([&] {
                BuildResult made = controller::buildBook(request, ports, *progress);
                queue_.post([&result, made = std::move(made)] { result = made; });
            });
        } catch (const std::system_error& error) {
            // At the limit on processes, or with little address space left,
            // no thread can start; the earlier book stays as it is.
            meanwhile();
            return app::buildNotStarted(error);
        }
        meanwhile();
        while (!result) queue_.runOne([this] { terminal_.tick(); });
        worker.join();
        return std::move(*result);
    }

    void showStage(BuildStage stage) {
        if (stage == BuildStage::Convert) terminal_.showStep(texts_.text("LoadingMsg"), false);
        if (stage == BuildStage::Normalise) terminal_.showStep(texts_.text("ePubGenMsg"), true);
        if (stage == BuildStage::Kindle) terminal_.showStep(texts_.text("KindleGenMsg"), false);
    }

    void complete(const BuildRequest& request, const BuildResult& result) {
        if (!result.epub) {
            terminal_.endStep();
            if (const auto alert = app::epubFailureAlert(result.epub.reason(), request, texts_))
                terminal_.showAlert(*alert);
            return;
        }
        if (result.kindle && !*result.kindle) {
            const KindleFailure failure = result.kindle->reason();
            if (failure == KindleFailure::NoConverter) kindle_.checkConverter();
            else if (const auto alert = app::kindleFailureAlert(failure, request, texts_)) terminal_.showAlert(*alert);
        }
        const app::Notification ready = app::readyNotification(request);
        notifier_.deliver(ready.title, ready.message);
        terminal_.endStep();
        app::openResults(request, result, preferences_, workspace_, [this] { return kindle_.viewer(); });
        problemAlert_ = app::problemAlert(result.problems, texts_);
        if (problemAlert_) terminal_.showAlert(*problemAlert_);
        if (options_.check) check(*result.epub);
    }

    void check(const std::string& epubPath) {
        const std::string name = paths::lastComponent(epubPath);
        terminal_.showStep(text::format(texts_.text("Checking %@ with EPUBCheck\u2026"), {name}), false);
        validation_ = epub::checkBook(shell_, locations_.epubcheckCommand, epubPath);
        terminal_.endStep();
        terminal_.showAlert(app::bookCheckAlert(*validation_, name, texts_));
    }

    int report(const BuildResult& result) {
        const bool made = result.epub.ok();
        if (made) tellStageTimes(result.times);
        if (made) terminal_.say(app::chaptersStatus(result, texts_));
        tellProblems(result.problems, texts_, terminal_);
        if (options_.jsonReport) {
            std::fputs(buildReportJson(result, problemAlert_, terminal_.alertsShown(), validation_).c_str(), stdout);
            return made ? 0 : 1;
        }
        if (made) std::printf("%s\n", result.epub->c_str());
        if (made && result.kindle && *result.kindle) std::printf("%s\n", (*result.kindle)->c_str());
        return made ? 0 : 1;
    }

    const BuildOptions& options_;
    const app::Locations locations_ = app::locationsFromEnvironment();
    const Localizer texts_;
    Terminal terminal_;
    PosixShell shell_;
    MemoryPreferences preferences_;
    BlockingQueue queue_;
    RunAtOnce checks_;
    CliWorkspace workspace_;
    CliNotifier notifier_;
    PosixAuthorFiles authorFiles_;
    app::KindleTools kindle_;
    std::optional<Alert> problemAlert_;
    std::optional<epub::BookCheck> validation_;
};

int runBuild(const BuildOptions& options) {
    if (const Outcome manuscript = checkManuscript(options.manuscript); !manuscript)
        return refuse(manuscript.reason(), options.jsonReport);
    if (!options.output.empty())
        if (const Outcome destination = checkDestination(options.output); !destination)
            return refuse(destination.reason(), options.jsonReport);
    return BuildCommand(options).run();
}

int checkBookFile(const std::string& file) {
    if (const Outcome book = checkManuscript(file); !book) return refuse(book.reason(), false);
    const app::Locations where = app::locationsFromEnvironment();
    const Localizer texts = Localizer::load(where.resources.folder + "/locale", Localizer::languagesFromEnvironment());
    PosixShell shell;
    const epub::BookCheck check = epub::checkBook(shell, where.epubcheckCommand, absolute(file));
    const std::string report = epub::describeBookCheck(check, paths::lastComponent(file), texts) + "\n";
    switch (check.verdict) {
        case epub::BookCheck::Verdict::Valid: std::fputs(report.c_str(), stdout); return 0;
        case epub::BookCheck::Verdict::Invalid: std::fputs(report.c_str(), stdout); return 1;
        case epub::BookCheck::Verdict::NotInstalled: std::fprintf(stderr, "quillary: %s", report.c_str()); return 2;
        case epub::BookCheck::Verdict::Failed: std::fprintf(stderr, "quillary: %s", report.c_str()); return 1;
    }
    return 1;
}

int installKindlegen(const std::string& file) {
    if (!files::exists(file)) {
        std::fprintf(stderr, "quillary: %s does not exist\n", file.c_str());
        return 1;
    }
    const std::string target = app::kindlegenPathIn(app::locationsFromEnvironment().dataHome);
    if (!app::installConverter(absolute(file), target)) {
        std::fprintf(stderr, "quillary: could not install %s as %s\n", file.c_str(), target.c_str());
        return 1;
    }
    std::printf("%s\n", target.c_str());
    return 0;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments) {
    const Result<Command> parsed = parseArguments(arguments);
    if (!parsed) {
        std::fprintf(stderr, "quillary: %s\n\n%s", parsed.reason().c_str(), kUsage);
        if (asksForJsonReport(arguments)) std::fputs(refusalReportJson(parsed.reason()).c_str(), stdout);
        return 2;
    }
    switch (parsed->kind) {
        case CommandKind::Help: std::fputs(kUsage, stdout); return 0;
        case CommandKind::BuildHelp: std::fputs(kBuildHelp, stdout); return 0;
        case CommandKind::Version: std::printf("quillary %s\n", QUILLARY_VERSION); return 0;
        case CommandKind::InstallKindlegen: return installKindlegen(parsed->file);
        case CommandKind::Check: return checkBookFile(parsed->file);
        case CommandKind::Build: return runBuild(parsed->build);
    }
    return 2;
}

}  // namespace quillary::cli
