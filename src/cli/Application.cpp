#include "cli/Application.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/Environment.h"
#include "controller/VoveZedevir.h"
#include "cli/Arguments.h"
#include "cli/BlockingQueue.h"
#include "cli/CliDesktop.h"
#include "cli/CliWindow.h"
#include "cli/Preflight.h"
#include "cli/Report.h"
#include "platform/Executables.h"
#include "platform/Files.h"
#include "platform/MemoryPreferences.h"
#include "platform/Paths.h"
#include "platform/PosixShell.h"
#include "platform/ThreadRunner.h"

namespace quillary {

namespace {

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

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    const std::string cwd = environment("PWD");
    char buffer[4096];
    const std::string here = ::getcwd(buffer, sizeof buffer) ? buffer : cwd;
    return paths::join(here, path);
}

// The command line has no window to keep responsive: a check runs at once.
class RunAtOnce : public BackgroundRunner {
public:
    void start(std::function<void()> step) override { step(); }
    void waitIdle() override {}
};

// Everything one run of the command needs, wired as the window would be.
struct Session {
    explicit Session(bool openResults)
        : workspace(shell, openResults),
          notifier(window),
          controller(Ports{shell, preferences, queue, runner, checks, window, workspace, notifier, fileWriter, updates},
                     locationsFromEnvironment(),
                     Localizer::load(locationsFromEnvironment().resources.folder + "/locale",
                                     Localizer::languagesFromEnvironment())) {
        preferences.registerDefaults(prefs::registeredDefaults());
        if (!openResults) {
            for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFinder})
                preferences.setBool(key, false);
        }
    }
    // Runs main-thread steps until the build has ended.
    void runUntilBuildEnds() {
        while (controller.isBuilding()) queue.runOne([this] { window.tick(); });
        runner.waitIdle();
    }

    PosixShell shell;
    MemoryPreferences preferences;
    BlockingQueue queue;
    ThreadRunner runner;
    RunAtOnce checks;
    CliWindow window;
    CliWorkspace workspace;
    CliNotifier notifier;
    PosixFileWriter fileWriter;
    PackageManagerUpdates updates;
    VoveZedevir controller;
};

void applyFlags(const BuildOptions& options, Window& window) {
    const std::pair<const std::optional<std::string>*, BookField> fields[] = {
        {&options.title, BookField::Title},         {&options.author, BookField::Author},
        {&options.publisher, BookField::Publisher}, {&options.copyright, BookField::Copyright},
        {&options.isbn, BookField::Isbn},           {&options.genre, BookField::Genre}};
    for (const auto& [value, field] : fields)
        if (*value) window.setFieldText(field, **value);
    if (options.date) window.setPubDate(*options.date);
    if (options.language) window.setLanguageIndex(*options.language);
}

int refuse(const std::string& reason) {
    std::fprintf(stderr, "quillary: %s\n", reason.c_str());
    return 2;
}

// Which file filled the fields, so that an author who wonders where a title
// came from knows which file to edit.
void tellBookInformationSource(const VoveZedevir& c, CliWindow& window, bool titleGiven) {
    const auto path = c.bookInformationPath();
    if (!path)
        window.say("No book information for " + paths::lastComponent(c.theFile) +
                   (titleGiven ? "." : ": the title defaults to its folder's name."));
    else if (*path == paths::join(c.root, "bookInfo.txt"))
        window.say("Book information from " + *path + ", beside the manuscript.");
    else
        window.say("Book information from " + *path + ", stored by an earlier build.");
}

// As the check box does: Kindle on turns EPUB 3 off, and the converter is
// checked before the build.
void chooseKindle(Session& session) {
    const bool wasEpub3 = session.preferences.boolForKey(prefs::kEpub3);
    session.preferences.setBool(prefs::kBuildKindle, true);
    session.window.setKindleChecked(true);
    session.controller.noKindleGen();
    session.queue.runQueued();  // the check's verdict
    if (wasEpub3 && !session.preferences.boolForKey(prefs::kEpub3))
        session.window.say("--kindle: the book is made as EPUB 2, the version Kindle files are made from.");
}

void tellProblems(const VoveZedevir& c, CliWindow& window) {
    const std::vector<std::string> problems = problemLines(c);
    if (problems.empty()) return;
    window.say("The build found " + std::to_string(problems.size()) + " problem" +
               (problems.size() == 1 ? ":" : "s:"));
    for (const std::string& problem : problems) window.say("  " + problem);
}

int runBuild(const BuildOptions& options) {
    if (const auto refusal = manuscriptRefusal(options.manuscript)) return refuse(*refusal);
    if (!options.output.empty())
        if (const auto refusal = destinationRefusal(options.output)) return refuse(*refusal);

    Session session(options.open);
    VoveZedevir& c = session.controller;
    session.window.leaveUnprinted(problemTitleKeys());
    // What the window's status line holds before its first build, so that
    // the spinner of the first step has a name.
    session.window.setStatusText(c.localized("LoadingMsg"));
    if (options.epub3) session.preferences.setBool(prefs::kEpub3, *options.epub3);
    session.window.setEpub3Checked(session.preferences.boolForKey(prefs::kEpub3));

    // Nothing was typed into the fields but the flags, and those come after.
    c.takeManuscript(absolute(options.manuscript), VoveZedevir::FieldFilling::Always);
    tellBookInformationSource(c, session.window, options.title.has_value());
    applyFlags(options, session.window);
    const std::string destination =
        options.output.empty() ? paths::join(c.root, c.defaultBookName()) : absolute(options.output);
    if (const auto refusal = destinationRefusal(destination))
        return refuse(*refusal + (options.output.empty() ? " (name the book's file with -o)" : ""));
    session.window.answerSavePanelWith(paths::lastComponent(destination),
                                       paths::deletingLastComponent(destination));
    if (options.kindle) chooseKindle(session);
    session.preferences.setBool(prefs::kCheckAfterBuild, options.check);

    c.makeQuillary();
    session.runUntilBuildEnds();
    session.queue.runQueued();  // the check's verdict, when the book was checked

    const bool made = !c.result.epubPath.empty();
    if (made) tellStageTimes(c.result.times);
    tellProblems(c, session.window);
    if (options.jsonReport) std::fputs(buildReportJson(c, !made).c_str(), stdout);
    else if (made) std::printf("%s\n", c.result.epubPath.c_str());
    if (made && !c.result.kindlePath.empty() && !options.jsonReport) std::printf("%s\n", c.result.kindlePath.c_str());
    return made ? 0 : 1;
}

int checkBookFile(const std::string& file) {
    if (const auto refusal = manuscriptRefusal(file)) return refuse(*refusal);
    const Locations where = locationsFromEnvironment();
    const Localizer texts =
        Localizer::load(where.resources.folder + "/locale", Localizer::languagesFromEnvironment());
    PosixShell shell;
    const BookCheck check = checkBook(shell, where.epubcheckCommand, absolute(file));
    const std::string report = describeBookCheck(check, paths::lastComponent(file), texts) + "\n";
    switch (check.outcome) {
        case BookCheck::Outcome::Valid: std::fputs(report.c_str(), stdout); return 0;
        case BookCheck::Outcome::Invalid: std::fputs(report.c_str(), stdout); return 1;
        case BookCheck::Outcome::NotInstalled: std::fprintf(stderr, "quillary: %s", report.c_str()); return 2;
        case BookCheck::Outcome::Failed: std::fprintf(stderr, "quillary: %s", report.c_str()); return 1;
    }
    return 1;
}

int installKindlegen(const std::string& file) {
    if (!files::exists(file)) {
        std::fprintf(stderr, "quillary: %s does not exist\n", file.c_str());
        return 1;
    }
    Session session(false);
    if (!session.controller.installKindlegen(absolute(file))) {
        std::fprintf(stderr, "quillary: could not install %s as %s\n", file.c_str(),
                     session.controller.kindlegenPath().c_str());
        return 1;
    }
    std::printf("%s\n", session.controller.kindlegenPath().c_str());
    return 0;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments) {
    const Result<Command> parsed = parseArguments(arguments);
    if (!parsed) {
        std::fprintf(stderr, "quillary: %s\n\n%s", parsed.reason().c_str(), kUsage);
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

}  // namespace quillary
