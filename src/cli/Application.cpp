#include "cli/Application.h"

#include <cstdio>
#include <cstdlib>

#include "app/Environment.h"
#include "build/VoveZedevir.h"
#include "cli/Arguments.h"
#include "cli/BlockingQueue.h"
#include "cli/CliDesktop.h"
#include "cli/CliWindow.h"
#include "cli/Report.h"
#include "platform/Executables.h"
#include "platform/Files.h"
#include "platform/MemoryPreferences.h"
#include "platform/Paths.h"
#include "platform/PosixShell.h"
#include "platform/ThreadRunner.h"

namespace quillary {

namespace {

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

// Everything one run of the command needs, wired as the window would be.
struct Session {
    explicit Session(bool openResults)
        : workspace(shell, openResults),
          controller(Ports{shell, preferences, queue, runner, window, workspace, notifier},
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
        while (controller.isBuilding()) queue.runOne();
        runner.waitIdle();
    }

    PosixShell shell;
    MemoryPreferences preferences;
    BlockingQueue queue;
    ThreadRunner runner;
    CliWindow window;
    CliWorkspace workspace;
    CliNotifier notifier;
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

int runBuild(const BuildOptions& options) {
    Session session(options.open);
    VoveZedevir& c = session.controller;
    if (options.epub3) session.preferences.setBool(prefs::kEpub3, *options.epub3);
    session.window.setEpub3Checked(session.preferences.boolForKey(prefs::kEpub3));

    c.takeManuscript(absolute(options.manuscript));
    applyFlags(options, session.window);
    if (!options.output.empty()) {
        const std::string output = absolute(options.output);
        session.window.answerSavePanelWith(paths::lastComponent(output),
                                           paths::deletingLastComponent(output));
    }
    if (options.kindle) {
        // As the check box does: Kindle on turns EPUB 3 off, and the converter
        // is checked before the build.
        session.preferences.setBool(prefs::kBuildKindle, true);
        session.window.setKindleChecked(true);
        c.noKindleGen();
    }

    c.makeQuillary();
    session.runUntilBuildEnds();

    const bool made = !c.epubPath.empty();
    if (options.jsonReport) std::fputs(buildReportJson(c, !made).c_str(), stdout);
    else if (made) std::printf("%s\n", c.epubPath.c_str());
    if (made && !c.mobiPath.empty() && !options.jsonReport) std::printf("%s\n", c.mobiPath.c_str());
    return made ? 0 : 1;
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
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.command) {
        std::fprintf(stderr, "quillary: %s\n\n%s", parsed.error.c_str(), kUsage);
        return 2;
    }
    switch (parsed.command->kind) {
        case CommandKind::Help: std::fputs(kUsage, stdout); return 0;
        case CommandKind::Version: std::printf("quillary %s\n", QUILLARY_VERSION); return 0;
        case CommandKind::InstallKindlegen: return installKindlegen(parsed.command->file);
        case CommandKind::Build: return runBuild(parsed.command->build);
    }
    return 2;
}

}  // namespace quillary
