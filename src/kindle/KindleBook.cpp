#include "kindle/KindleBook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>

#include "epub/Archive.h"
#include "kindle/BuildFolder.h"
#include "kindle/KindleVariant.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace quillary::kindle {

namespace {

// Larger than any book a store takes, video included.
constexpr std::uint64_t kKindleFileLimit = 4ULL << 30;

// A converter may say it succeeded and leave nothing, an empty file or
// anything else behind. MOBI and AZW3 files both carry "BOOKMOBI" at
// offset 60 of their database header; nothing else counts as a Kindle book.
bool isKindleBook(const std::string& path) {
    Result<safefile::CheckedFile, safefile::Refusal> file =
        safefile::CheckedFile::open(path, {.maxBytes = kKindleFileLimit, .insideFolder = "", .ownedByUs = false});
    if (!file) return false;
    char head[68];
    std::size_t filled = 0;
    while (filled < sizeof head) {
        const Result<std::size_t, safefile::Refusal> got = file->read(head + filled, sizeof head - filled);
        if (!got || *got == 0) return false;
        filled += *got;
    }
    return std::string_view(head + 60, 8) == "BOOKMOBI";
}

bool diskFull(int error) { return error == ENOSPC || error == EDQUOT; }

// Copies `from` into `to`'s folder under a private name and renames it over
// `to` in one step, so that neither a full disk nor a crash leaves half a
// file, or any file of ours, in the author's folder. 0, or the error.
int copyBeside(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errno;
    std::string temp = paths::join(paths::deletingLastComponent(to), "." + paths::lastComponent(to) + ".XXXXXX");
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = ::fchmod(out, 0644) == 0 ? 0 : errno;
    char buffer[1 << 16];
    for (ssize_t n = 0; error == 0 && (n = ::read(in, buffer, sizeof buffer)) != 0;) {
        if (n < 0) error = errno;
        for (ssize_t written = 0; error == 0 && written < n;) {
            const ssize_t w = ::write(out, buffer + written, static_cast<std::size_t>(n - written));
            if (w < 0) error = errno;
            else written += w;
        }
    }
    // A full disk may show itself only when the data reach it.
    if (error == 0 && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && error == 0) error = errno;
    ::close(in);
    if (error == 0 && ::rename(temp.c_str(), to.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temp.c_str());
    return error;
}

// The converted file in place of the earlier one, whole or not at all.
Result<std::string, KindleFailure> placeKindleFile(const std::string& made, const std::string& destination) {
    if (::rename(made.c_str(), destination.c_str()) == 0) return destination;
    const int error = errno == EXDEV ? copyBeside(made, destination) : errno;
    if (error == 0) return destination;
    return failure(diskFull(error) ? KindleFailure::DiskFull : KindleFailure::ConversionFailed);
}

Result<std::string, KindleFailure> convertIn(const std::string& folder, const KindleJob& job,
                                             const KindlePorts& ports) {
    const std::string& name = job.request.bookName;
    // The package must be whole, or the converter would make a book of what
    // a full disk let through; written as the EPUB is, it holds one author's
    // file at a time in memory, not the whole book.
    const Outcome package =
        epub::archive::writeArchive(kindlePackageFiles(job).files, {ports.authorFiles, job.request.manuscriptFolder},
                                    paths::join(folder, packageName(name)), job.request.entryTime);
    if (!package) return failure(KindleFailure::ConversionFailed);
    const ShellResult run =
        ports.shell.run(conversionCommand(job.converter, name), folder, kConversionTimeLimit, kShellOutputLimit, ports.stop);
    if (run.end == ShellResult::End::TimedOut) return failure(KindleFailure::TimedOut);
    if (run.end == ShellResult::End::Stopped) return failure(KindleFailure::Stopped);
    // A converter that was stopped or failed may have left half a file; the
    // earlier build's Kindle file goes only when a new one takes its place:
    // the move renames over it in one step.
    const std::string output = paths::join(folder, outputName(name));
    if (!conversionSucceeded(job.converter.kind, run)) return failure(KindleFailure::ConversionFailed);
    if (!isKindleBook(output)) return failure(KindleFailure::NotAKindleFile);
    return placeKindleFile(output, job.request.kindlePath());
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
