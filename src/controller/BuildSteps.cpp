// The chain of a build, step by step: each background step takes the values
// the step before made, runs the stages over them and hands what it made to
// the next step on the main thread.
#include <algorithm>
#include <chrono>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "epub/Accessibility.h"
#include "epub/Archive.h"
#include "epub/Assembly.h"
#include "epub/DeflatedEntry.h"
#include "kindle/KindleBook.h"
#include "kindle/KindleConverter.h"
#include "manuscript/Conversion.h"
#include "manuscript/Normalise.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

using Clock = std::chrono::steady_clock;

StageTimes::Span since(Clock::time_point start) {
    return std::chrono::duration_cast<StageTimes::Span>(Clock::now() - start);
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
std::string accessibilityIn(const package::BookContent& content, const std::string& language,
                            const std::string& catalogues) {
    const std::vector<std::string> keys = package::accessibilitySummaryKeys(content);
    const std::string english = summaryIn(Localizer::load(catalogues, {}), keys);
    const std::string inLanguage = summaryIn(Localizer::load(catalogues, {language}), keys);
    const bool translated = language == "en" || inLanguage != english;
    return package::accessibilityMetadata(content, inLanguage, translated ? "" : "en");
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
    if (files::isDirectory(archive) || archive::packageIdentifier(archive) != isbn) return;
    files::removeAll(archive);
}

}  // namespace

void VoveZedevir::extractHTML() {
    const Clock::time_point start = Clock::now();
    const ConversionRoute route{ports.shell, locations.textutilPath, locations.readRtfInProcess};
    Result<std::string, ConversionFailure> html = convertManuscript(request->manuscript, route);
    if (!html) {
        const bool authorsToMend = html.reason() == ConversionFailure::FormattingError;
        postToMain([this, authorsToMend] { authorsToMend ? formattingError() : extractFailed(); });
        return;
    }
    postToMain([this, converted = std::make_shared<std::string>(std::move(*html)), took = since(start)] {
        extractComplete(std::move(*converted), took);
    });
}

void VoveZedevir::extractFailed() {
    hideBuildProgress();
    showSimpleAlert("MakeFailTitle", "MakeFailMsg", {}, {paths::lastComponent(request->manuscript)});
    endBuild();
}

void VoveZedevir::formattingError() {
    hideBuildProgress();
    const std::string name = paths::lastComponent(request->manuscript);
    showSimpleAlert("FormattingErrTitle", "FormattingErrMsg", {name}, {name});
    endBuild();
}

void VoveZedevir::extractComplete(std::string html, StageTimes::Span converting) {
    ports.window.setProgressRange(0, static_cast<double>(std::count(html.begin(), html.end(), '\n') + 1));
    ports.window.setProgressValue(0);
    ports.window.setProgressIndeterminate(false);
    ports.window.setStatusText(localized("ePubGenMsg"));
    startInBackground([this, converted = std::make_shared<std::string>(std::move(html)), converting] {
        buildePub(std::move(*converted), converting);
    });
}

void VoveZedevir::buildePub(std::string html, StageTimes::Span converting) {
    const BuildRequest& order = *request;
    auto made = std::make_shared<MadeEpub>();
    BuildResult& outcome = made->result;
    outcome.times.convert = converting;

    Result<package::Templates> templates = package::loadTemplates(locations.resources.folder, order.epub3);
    if (!templates) {
        // Without the program's own files there is nothing to make a book of.
        outcome.epubError = templates.reason();
        postToMain([this, made] { ePubComplete(made); });
        return;
    }
    made->templates = std::move(*templates);
    archive::EarlyDeflater deflater;
    {
        // The manuscript's lines go once the model holds the book.
        Clock::time_point start = Clock::now();
        const NormalisedManuscript manuscript = normaliseManuscript(std::move(html), order.epub3);
        outcome.problems.badFormatting = manuscript.negativeMargins;
        outcome.times.normalise = since(start);

        start = Clock::now();
        made->model = package::assemblePackage(
            {.lines = manuscript.lines,
             .bodySearchFrom = manuscript.bodySearchFrom,
             .request = order,
             .templates = made->templates,
             .texts = {localized("ContentsTitle"), localized("EndnotesTitle"), localized("CoverTitle")},
             .stylesheet = manuscript.stylesheet,
             .progress = [this](std::int64_t read) { postToMain([this, read] { lineComplete(read); }); },
             .fileMade = [&deflater](const package::PackageFile& file) { deflater.add(file.name, file.bytes); }},
            outcome.problems);
        outcome.times.assemble = since(start);
    }

    Clock::time_point start = Clock::now();
    const std::string catalogues = locations.resources.folder + "/locale";
    made->rendering = package::epubRendering(
        made->model, order.epub3 ? accessibilityIn(made->model.content, made->model.facts.language, catalogues) : "");
    const package::BookFiles book = package::packageFiles(made->model, made->templates, made->rendering);
    // A package with a document that is not well-formed never reaches the
    // destination: the earlier book there stays.
    const std::optional<std::string> malformed = package::firstMalformedDocument(book.files);
    outcome.times.documents = since(start);

    start = Clock::now();
    const Outcome written = malformed ? Outcome(failure(*malformed))
                                      : archive::writeArchive(book.files, order.epubPath(), deflater.finish());
    outcome.times.archive = since(start);
    if (written) {
        outcome.epubPath = order.epubPath();
        removeArchiveNamedByIsbn(order);
    } else {
        outcome.epubError = written.reason();
    }
    postToMain([this, made] { ePubComplete(made); });
}

void VoveZedevir::lineComplete(std::int64_t linesRead) {
    ports.window.setProgressValue(static_cast<double>(linesRead));
}

void VoveZedevir::ePubComplete(std::shared_ptr<const MadeEpub> made) {
    result = made->result;
    if (result.epubPath.empty()) {
        archiveFailed();
        return;
    }
    if (!request->kindle) {
        booksComplete();
        return;
    }
    ports.window.setProgressIndeterminate(true);
    ports.window.setStatusText(localized("KindleGenMsg"));
    startInBackground([this, made] { buildKindle(made); });
}

void VoveZedevir::buildKindle(std::shared_ptr<const MadeEpub> made) {
    const std::optional<kindle::Converter> converter =
        kindle::findConverter(kindlegenPath(), ports.workspace);
    if (!converter) {
        // The check re-reads the option and explains what is missing; its
        // alert goes up before the completion report.
        postToMain([this] {
            noKindleGen();
            booksComplete();
        });
        return;
    }
    const BuildRequest& order = *request;
    const kindle::KindleOutcome outcome = kindle::makeKindleBook(
        {made->model, made->templates, made->rendering, order, *converter}, ports.shell, ports.fileWriter,
        locations.tempParent);
    postToMain([this, outcome, name = order.bookName, kindlePath = order.kindlePath()] {
        if (outcome == kindle::KindleOutcome::Made) result.kindlePath = kindlePath;
        if (outcome == kindle::KindleOutcome::Failed)
            showSimpleAlert("KindleFailTitle", "KindleFailMsg", {}, {name});
        if (outcome == kindle::KindleOutcome::TimedOut) {
            const std::string minutes = std::to_string(kindle::kConversionTimeLimit.count());
            showSimpleAlert("KindleFailTitle", "KindleTimeLimitMsg", {}, {minutes, name});
        }
        booksComplete();
    });
}

}  // namespace quillary
