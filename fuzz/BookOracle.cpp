#include "BookOracle.h"

#include <filesystem>

#include "manuscript/Conversion.h"
#include "manuscript/Normalise.h"
#include "controller/VoveZedevir.h"
#include "converter/Converter.h"
#include "epub/BuildFolder.h"
#include "epub/WellFormed.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeMainQueue.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWindow.h"
#include "platform/FileWriter.h"
#include "platform/Files.h"
#include "platform/MemoryPreferences.h"

namespace quillary::fuzzing {

namespace {

bool isBookDocument(const std::filesystem::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".xhtml" || extension == ".opf" || extension == ".ncx" || extension == ".xml";
}

std::optional<std::string> firstIllFormed(const std::string& folder, const std::string& version) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (!entry.is_regular_file() || !isBookDocument(entry.path())) continue;
        const auto document = files::readFile(entry.path().string());
        if (!document) return version + " " + entry.path().filename().string() + ": unreadable";
        if (auto problem = xml::wellFormednessError(*document))
            return version + " " + entry.path().filename().string() + ": " + *problem;
    }
    return std::nullopt;
}

std::optional<std::string> buildOnce(const std::string& html, bool epub3, const std::string& language,
                                     const std::string& resourcesFolder, const std::string& workFolder) {
    testing::FakeShell shell;
    MemoryPreferences preferences;
    testing::FakeMainQueue queue;
    testing::InlineRunner runner;
    testing::InlineRunner checks;
    testing::FakeWindow window;
    testing::FakeWorkspace workspace;
    testing::FakeNotifier notifier;
    PosixFileWriter fileWriter;
    PackageManagerUpdates updates;
    preferences.registerDefaults(prefs::registeredDefaults());
    preferences.setBool(prefs::kEpub3, epub3);
    Locations locations;
    locations.resources.folder = resourcesFolder;
    locations.dataHome = workFolder + "/data";
    locations.tempParent = workFolder;
    VoveZedevir c(Ports{shell, preferences, queue, runner, checks, window, workspace, notifier, fileWriter, updates},
                  std::move(locations), Localizer{});
    c.bookInfo = {"Fuzzed Book", "An Author", "", "", "2024-05-17", "", "", language};
    c.root = workFolder;
    c.saveRoot = workFolder;
    c.saveName = "book";
    c.lines = splitConvertedLines(fixEncodings(html, false, epub3));
    c.buildePub();
    const std::string version = epub3 ? "EPUB 3" : "EPUB 2";
    std::optional<std::string> problem = c.tempDirectoryPath.empty()
                                             ? std::optional<std::string>(version + ": no build folder")
                                             : firstIllFormed(c.tempDirectoryPath, version);
    if (!problem && c.epubPath.empty()) problem = version + ": no book made: " + c.epubError;
    if (!c.tempDirectoryPath.empty()) package::removeBuildFolder(c.tempDirectoryPath);
    files::removeAll(workFolder + "/book.epub");
    return problem;
}

}  // namespace

std::optional<std::string> illFormedDocument(std::string_view manuscript, const std::string& resourcesFolder,
                                             const std::string& workFolder) {
    const std::string html = conv::rtfToHtml(manuscript);
    // Arabic (1) and Hebrew (9) among the others, chosen by the input.
    const std::string language = std::to_string(manuscript.size() % 20);
    if (auto problem = buildOnce(html, true, language, resourcesFolder, workFolder)) return problem;
    return buildOnce(html, false, std::to_string((manuscript.size() / 20) % 20), resourcesFolder, workFolder);
}

}  // namespace quillary::fuzzing
