#include "controller/BuildBook.h"

#include <chrono>
#include <filesystem>
#include <new>
#include <system_error>

#include "base/Text.h"
#include "book/Languages.h"
#include "epub/Accessibility.h"
#include "epub/Archive.h"
#include "epub/BookFiles.h"
#include "epub/DeflatedEntry.h"
#include "epub/Media.h"
#include "kindle/KindleBook.h"
#include "manuscript/Conversion.h"
#include "manuscript/Normalise.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::controller {

namespace {

using Clock = std::chrono::steady_clock;

StageTimes::Span since(Clock::time_point start) {
    return std::chrono::duration_cast<StageTimes::Span>(Clock::now() - start);
}

Failure<EpubFailure> failed(EpubFailure::Kind kind, std::string reason = {}) {
    return failure(EpubFailure{kind, std::move(reason)});
}

// "" when a catalogue lacks one of the sentences: half a summary in one
// language and keys in another would tell the reader nothing.
std::string summaryIn(const Localizer& texts, const std::vector<std::string>& keys) {
    std::string summary;
    for (const std::string& key : keys) {
        if (!texts.has(key)) return "";
        summary += (summary.empty() ? "" : " ") + texts.text(key);
    }
    return summary;
}

// The summary speaks the book's language where our catalogues have its
// sentences. Books in any other language get the English sentences, marked
// as English, rather than none: stores ask for a summary.
std::string accessibilityIn(const epub::BookContent& content, const std::string& language,
                            const Catalogues& catalogues) {
    const std::vector<std::string> keys = epub::accessibilitySummaryKeys(content);
    const std::string english = summaryIn(catalogues.of("en"), keys);
    const std::string inLanguage = summaryIn(catalogues.of(language), keys);
    const bool translated = language == "en" || inLanguage != english;
    return epub::accessibilityMetadata(content, inLanguage, translated ? "" : "en");
}

// An archive named after the ISBN is an earlier build's, superseded once the
// new book exists (not before: a failed build must not cost the old one). A
// name that would reach outside the destination folder, or that is the
// book's own archive, is not touched; nor is any file that is not an EPUB of
// this very book: the author may keep anything under that name.
void removeArchiveNamedByIsbn(const BuildRequest& request) {
    const std::string& isbn = request.bookInfo.isbn;
    if (isbn.empty() || isbn == request.bookName || isbn == "." || isbn == ".." || text::contains(isbn, "/")) return;
    const std::string archive = paths::join(request.destinationFolder, isbn + ".epub");
    if (files::isDirectory(archive) || epub::archive::packageIdentifier(archive) != isbn) return;
    (void)files::removeAll(archive);  // the new book is made all the same
}

// One build's way through the stages; what each stage makes is handed to
// the next as a value.
class Build {
public:
    Build(const BuildRequest& request, const BuildPorts& ports, BuildProgress& progress)
        : request_(request), ports_(ports), progress_(progress) {}

    BuildResult run() && {
        Result<std::string, EpubFailure> html = convert();
        // A converter stopped on the author's word failed only because it was stopped.
        if (progress_.cancelled()) html = failed(EpubFailure::Kind::Cancelled);
        const Result<epub::Templates>& templates =
            request_.epub3 ? ports_.resources.epub3Templates : ports_.resources.epub2Templates;
        // Without the program's own files there is nothing to make a book of.
        if (html && !templates) html = failed(EpubFailure::Kind::NotWritten, templates.reason());
        if (!html) {
            result_.epub = failure(html.reason());
            return std::move(result_);
        }
        makeEpub(std::move(*html), *templates);
        return std::move(result_);
    }

private:
    Result<std::string, EpubFailure> convert() {
        progress_.stageBegins(BuildStage::Convert);
        const Clock::time_point start = Clock::now();
        const BuildTools& tools = ports_.tools;
        Result<std::string, manuscript::ConversionFailure> html = manuscript::convertManuscript(
            request_.manuscript,
            {ports_.shell, tools.textutilPath, tools.readRtfInProcess, [this] { return progress_.cancelled(); }});
        result_.times.convert = since(start);
        if (html) return std::move(*html);
        using Failure = manuscript::ConversionFailure::Kind;
        switch (html.reason().kind) {
            case Failure::FormattingError: return failed(EpubFailure::Kind::FormattingError, html.reason().cause);
            case Failure::Failed: break;
            case Failure::TooLarge: {
                std::error_code error;
                const std::uintmax_t bytes = std::filesystem::file_size(request_.manuscript, error);
                return failure(EpubFailure{EpubFailure::Kind::TooLarge, {}, error ? 0 : bytes});
            }
        }
        return failed(EpubFailure::Kind::ConversionFailed);
    }

    // The notes page is part of the book, so its title speaks the book's
    // language where our catalogues have it (English behind them); the
    // author's interface language has no say in it. Without catalogues the
    // interface's title stands.
    epub::AssemblyTexts textsOfBook() const {
        epub::AssemblyTexts texts = ports_.resources.texts;
        const Localizer& inLanguage = ports_.resources.catalogues.of(epub::languageCode(request_.bookInfo.language));
        if (inLanguage.has("EndnotesTitle"))
            texts.endnotesTitle = manuscript::asPageText(inLanguage.text("EndnotesTitle"));
        return texts;
    }

    epub::AssembledBook assemble(std::string html, const epub::Templates& templates,
                                 epub::archive::EarlyDeflater& deflater) {
        progress_.stageBegins(BuildStage::Normalise);
        Clock::time_point start = Clock::now();
        // The manuscript's lines go once the model holds the book.
        const manuscript::NormalisedManuscript normalised =
            manuscript::normaliseManuscript(std::move(html), request_.epub3, languageTagOf(request_.bookInfo.language));
        result_.times.normalise = since(start);

        progress_.stageBegins(BuildStage::Assemble);
        start = Clock::now();
        const std::vector<FolderEntry> folder = epub::lookAtAuthorFiles(ports_.authorFiles, request_.manuscriptFolder);
        epub::AssembledBook book = epub::assemblePackage(
            {.lines = normalised.lines,
             .request = request_,
             .templates = templates,
             .texts = textsOfBook(),
             .stylesheet = normalised.stylesheet,
             .folder = folder,
             .progress = [this](double done) { progress_.advanced(done); },
             .cancelled = [this] { return progress_.cancelled(); },
             .pageMade = [&deflater](const epub::PackageFile& page) { deflater.add(page.name, page.bytes); }});
        book.problems.badFormatting = normalised.negativeMargins;
        book.problems.negativeStyle = normalised.negativeStyle;
        result_.times.assemble = since(start);
        return book;
    }

    void makeEpub(std::string html, const epub::Templates& templates) {
        epub::archive::EarlyDeflater deflater;
        const epub::AssembledBook book = assemble(std::move(html), templates, deflater);
        result_.problems = book.problems;
        result_.chapters = book.chapters;
        result_.chapterLevel = book.chapterLevel;
        if (progress_.cancelled()) {
            result_.epub = failed(EpubFailure::Kind::Cancelled);
            return;
        }
        const epub::PackageModel& model = book.model;
        progress_.stageBegins(BuildStage::Documents);
        Clock::time_point start = Clock::now();
        const epub::Rendering rendering = epub::epubRendering(
            model,
            model.epub3 ? accessibilityIn(model.content, model.facts.language, ports_.resources.catalogues) : "");
        const epub::BookFiles files = epub::packageFiles(model, templates, rendering);
        // A package with a document that is not well-formed never reaches the
        // destination: the earlier book there stays.
        const Outcome wellFormed = epub::allWellFormed(files.files);
        result_.times.documents = since(start);

        progress_.stageBegins(BuildStage::Archive);
        start = Clock::now();
        const Outcome written =
            !wellFormed ? wellFormed
                        : epub::archive::writeArchive(files.files, {ports_.authorFiles, request_.manuscriptFolder},
                                                      request_.epubPath(), request_.entryTime, deflater.finish());
        result_.times.archive = since(start);
        if (!written) {
            result_.epub = failed(EpubFailure::Kind::NotWritten, written.reason());
            return;
        }
        result_.epub = request_.epubPath();
        // The new EPUB has replaced the earlier one: whatever befalls the
        // steps after it, the result says so.
        try {
            removeArchiveNamedByIsbn(request_);
            if (request_.kindle && !progress_.cancelled()) makeKindle(model, templates, rendering);
        } catch (const std::bad_alloc&) {
            if (request_.kindle) result_.kindle = failure(KindleFailure::ConversionFailed);
        } catch (const std::system_error&) {
            if (request_.kindle) result_.kindle = failure(KindleFailure::ConversionFailed);
        }
    }

    void makeKindle(const epub::PackageModel& model, const epub::Templates& templates,
                    const epub::Rendering& rendering) {
        progress_.stageBegins(BuildStage::Kindle);
        const std::optional<kindle::Converter>& converter = ports_.tools.kindleConverter;
        if (!converter) {
            result_.kindle = failure(KindleFailure::NoConverter);
            return;
        }
        result_.kindle = kindle::makeKindleBook(
            {model, templates, rendering, request_, *converter},
            {ports_.shell, ports_.authorFiles, ports_.tools.tempParent, [this] { return progress_.cancelled(); }});
    }

    const BuildRequest& request_;
    const BuildPorts& ports_;
    BuildProgress& progress_;
    BuildResult result_;
};

}  // namespace

const char* stageName(BuildStage stage) {
    switch (stage) {
        case BuildStage::Convert: return "convert";
        case BuildStage::Normalise: return "normalise";
        case BuildStage::Assemble: return "assemble";
        case BuildStage::Documents: return "documents";
        case BuildStage::Archive: return "archive";
        case BuildStage::Kindle: return "kindle";
    }
    return "";
}

BuildResult buildBook(const BuildRequest& request, const BuildPorts& ports, BuildProgress& progress) {
    // Nothing else is thrown; a manuscript too big for the memory must still
    // end its build, with a reason.
    try {
        return Build(request, ports, progress).run();
    } catch (const std::bad_alloc&) {
        BuildResult result;
        result.epub = failed(EpubFailure::Kind::NotWritten, "there is not enough memory");
        return result;
    } catch (const std::system_error& error) {
        // The system refused a thread, a lock or the like: the machine is at
        // one of its limits.
        BuildResult result;
        result.epub =
            failed(EpubFailure::Kind::NotWritten, std::string("the system refused it (") + error.what() + ")");
        return result;
    }
}

}  // namespace quillary::controller
