#include "kindle/KindleBook.h"

#include <filesystem>
#include <system_error>

#include "epub/Archive.h"
#include "kindle/BuildFolder.h"
#include "kindle/KindleVariant.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::kindle {

namespace {

// A converter that failed may leave nothing or an empty file behind; only a
// file with content counts as a Kindle book.
bool holdsAFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0 && !ec;
}

Result<std::string, KindleFailure> convertIn(const std::string& folder, const KindleJob& job,
                                             const KindlePorts& ports) {
    const std::string& name = job.request.bookName;
    // The package must be whole, or the converter would make a book of what
    // a full disk let through.
    const Result<std::string> package =
        epub::archive::archiveBytes(kindlePackageFiles(job).files, {ports.authorFiles, job.request.manuscriptFolder},
                                    job.request.entryTime);
    if (!package || !ports.writer.write(paths::join(folder, packageName(name)), *package))
        return failure(KindleFailure::ConversionFailed);
    const ShellResult run =
        ports.shell.run(conversionCommand(job.converter, name), folder, kConversionTimeLimit, kShellOutputLimit, ports.stop);
    if (run.end == ShellResult::End::TimedOut) return failure(KindleFailure::TimedOut);
    if (run.end == ShellResult::End::Stopped) return failure(KindleFailure::Stopped);
    // A converter that was stopped or failed may have left half a file; the
    // earlier build's Kindle file goes only when a new one takes its place:
    // the move renames over it in one step.
    const std::string output = paths::join(folder, outputName(name));
    if (conversionSucceeded(job.converter.kind, run) && holdsAFile(output) &&
        files::moveFile(output, job.request.kindlePath()))
        return job.request.kindlePath();
    return failure(KindleFailure::ConversionFailed);
}

}  // namespace

epub::BookFiles kindlePackageFiles(const KindleJob& job) {
    epub::Rendering rendering = job.epubRendering;
    rendering.coverPage = false;
    // The Kindle book always needs a contents page, even when the EPUB has none.
    rendering.contentsPage = true;
    epub::BookFiles book = epub::packageFiles(job.model, job.templates, rendering);
    // Only the pages and the stylesheet change; everything else is packed
    // where it lies.
    for (const epub::PackageFile*& file : book.files.written) {
        std::string rewritten;
        if (file->name.ends_with(".xhtml")) rewritten = withListsAsParagraphs(file->bytes);
        else if (file->name.ends_with(".css")) rewritten = withListRulesAsParagraphRules(file->bytes);
        else continue;
        if (rewritten != file->bytes)
            file = &book.written.emplace_back(epub::PackageFile{file->name, std::move(rewritten)});
    }
    return book;
}

Result<std::string, KindleFailure> makeKindleBook(const KindleJob& job, const KindlePorts& ports) {
    const std::optional<std::string> folder = kindle::makeBuildFolder(ports.tempParent);
    if (!folder) return failure(KindleFailure::ConversionFailed);
    Result<std::string, KindleFailure> made = convertIn(*folder, job, ports);
    kindle::removeBuildFolder(*folder);
    return made;
}

}  // namespace quillary::kindle
