#include "BookOracle.h"

#include "converter/Converter.h"
#include "epub/Archive.h"
#include "epub/Assembly.h"
#include "manuscript/Normalise.h"

namespace quillary::fuzzing {

namespace {

std::optional<std::string> buildOnce(const std::string& html, bool epub3, const std::string& language,
                                     const std::string& resourcesFolder, const std::string& workFolder) {
    const std::string version = epub3 ? "EPUB 3" : "EPUB 2";
    const BuildRequest request{.manuscript = workFolder + "/book.rtf",
                               .manuscriptFolder = workFolder,
                               .destinationFolder = workFolder,
                               .bookName = "book",
                               .bookInfo = {"Fuzzed Book", "An Author", "", "", "2024-05-17", "", "", language},
                               .epub3 = epub3};
    const Result<package::Templates> templates = package::loadTemplates(resourcesFolder, epub3);
    if (!templates) return version + ": no book made: " + templates.reason();
    const NormalisedManuscript manuscript = normaliseManuscript(html, epub3);
    Problems problems;
    const package::PackageModel model = package::assemblePackage(
        {.lines = manuscript.lines,
         .bodySearchFrom = manuscript.bodySearchFrom,
         .request = request,
         .templates = *templates,
         .texts = {"Contents", "Endnotes", "Cover"},
         .stylesheet = manuscript.stylesheet},
        problems);
    const package::Rendering rendering = package::epubRendering(model, "");
    const package::BookFiles book = package::packageFiles(model, *templates, rendering);
    if (auto problem = package::firstMalformedDocument(book.files)) return version + " " + *problem;
    const Result<std::string> archive = archive::archiveBytes(book.files);
    if (!archive) return version + ": no book made: " + archive.reason();
    return std::nullopt;
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
