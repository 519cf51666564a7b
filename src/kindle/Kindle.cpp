#include <filesystem>
#include <system_error>

#include "controller/VoveZedevir.h"
#include "epub/Archive.h"
#include "kindle/KindleConverter.h"
#include "kindle/KindleVariant.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

// A converter that failed may leave nothing or an empty file behind; only a
// file with content counts as a Kindle book.
bool holdsAFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0 &&
           !ec;
}

void rewritePackageDocument(package::BuildWrites& writes, const std::string& packageFolder) {
    const std::string path = paths::join(packageFolder, "OEBPS/content.opf");
    if (auto document = files::readFile(path)) writes.write(path, kindle::withoutCoverPage(*document));
    else writes.fail("OEBPS/content.opf could not be read");
}

void rewriteListsAsParagraphs(package::BuildWrites& writes, const std::string& packageFolder) {
    const std::string pages = paths::join(packageFolder, "OEBPS");
    for (const std::string& name : files::listFolder(pages)) {
        const bool page = name.ends_with(".xhtml");
        if (!page && !name.ends_with(".css")) continue;
        const std::string path = paths::join(pages, name);
        const std::optional<std::string> text = files::readFile(path);
        if (!text) continue;
        const std::string rewritten =
            page ? kindle::withListsAsParagraphs(*text) : kindle::withListRulesAsParagraphRules(*text);
        if (rewritten != *text) writes.write(path, rewritten);
    }
}

// How the conversion went: made, or why not.
enum class KindleOutcome { Made, Failed, TimedOut };

// Turns the EPUB package in `folder` into the Kindle variant, converts it
// and puts the result at `kindleFile`.
KindleOutcome convertPackage(VoveZedevir& controller, const kindle::Converter& converter,
                             const std::string& folder, const std::string& kindleFile) {
    const std::string& saveName = controller.saveName;
    const std::string package = kindle::packageName(saveName);
    const std::string output = kindle::outputName(saveName);

    files::removeAll(paths::join(folder, "OEBPS/cover.xhtml"));
    rewritePackageDocument(controller.buildWrites, folder);
    rewriteListsAsParagraphs(controller.buildWrites, folder);
    // Whatever is called "NAMEKindle.mobi" now cannot be taken for this
    // run's output.
    files::removeAll(paths::join(folder, output));

    // The package is written inside the folder it packs: neither it nor the
    // converter's output may end up inside it.
    const archive::Result zipped = archive::writePackage(
        folder, paths::join(folder, package), {"OEBPS/cover.xhtml", package, output});
    KindleOutcome outcome = KindleOutcome::Failed;
    // The package must be whole, or the converter would make a book of what
    // a full disk let through.
    if (zipped.ok && !controller.buildWrites.failure()) {
        const ShellResult run = controller.executeShellCommandSynchronously(
            kindle::conversionCommand(converter, saveName), folder, kindle::kConversionTimeLimit);
        // A converter that was stopped or failed may have left half a file;
        // the earlier build's Kindle file goes only when a new one takes its
        // place: the move renames over it in one step.
        const std::string result = paths::join(folder, output);
        if (run.end == ShellResult::End::TimedOut) outcome = KindleOutcome::TimedOut;
        else if (kindle::conversionSucceeded(converter.kind, run) && holdsAFile(result) &&
                 files::moveFile(result, kindleFile))
            outcome = KindleOutcome::Made;
    }
    files::removeAll(paths::join(folder, package));
    return outcome;
}

}  // namespace

std::string VoveZedevir::kindlegenPath() const {
    const std::string dataFolder =
        applicationDirectory().value_or(paths::join(locations.dataHome, "Quillary"));
    return paths::join(dataFolder, "kindlegen");
}

void VoveZedevir::buildKindle() {
    mobiPath.clear();
    const std::optional<kindle::Converter> converter = kindle::findConverter(*this);
    if (!converter) {
        // The check re-reads the option and explains what is missing; its
        // alert goes up before the completion report.
        postToMain(&VoveZedevir::noKindleGen);
        postToMain(&VoveZedevir::booksComplete);
        return;
    }
    // Without the package folder every relative path below would point into
    // whatever folder the process happens to be in.
    const std::string kindleFile = paths::join(saveRoot, saveName + ".mobi");
    KindleOutcome outcome = KindleOutcome::Failed;
    if (!tempDirectoryPath.empty() && files::isDirectory(tempDirectoryPath))
        outcome = convertPackage(*this, *converter, tempDirectoryPath, kindleFile);
    if (outcome == KindleOutcome::Made) mobiPath = kindleFile;

    if (outcome == KindleOutcome::Failed) {
        ports.mainQueue.post([this, name = saveName] {
            showSimpleAlert("KindleFailTitle", "KindleFailMsg", {}, {name});
        });
    }
    if (outcome == KindleOutcome::TimedOut) {
        const std::string minutes = std::to_string(kindle::kConversionTimeLimit.count());
        ports.mainQueue.post([this, name = saveName, minutes] {
            showSimpleAlert("KindleFailTitle", "KindleTimeLimitMsg", {}, {minutes, name});
        });
    }
    postToMain(&VoveZedevir::booksComplete);
}

}  // namespace quillary
