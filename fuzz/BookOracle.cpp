#include "BookOracle.h"

#include "converter/Converter.h"
#include "epub/Archive.h"
#include "epub/Assembly.h"
#include "epub/BookFiles.h"
#include "manuscript/Normalise.h"

namespace quillary::fuzzing {

namespace {

// A manuscript's folder that holds nothing: the fuzzed books pack no file
// of the author's.
class EmptyFolder : public AuthorFiles {
public:
    std::vector<FolderEntry> list(const std::string&) const override { return {}; }
    Result<std::unique_ptr<ByteSource>> open(const std::string&, const std::string& name) const override {
        return failure(name + " is not there");
    }
};

std::optional<std::string> buildOnce(const std::string& html, bool epub3, const std::string& language,
                                     const epub::Templates& templates) {
    const std::string version = epub3 ? "EPUB 3" : "EPUB 2";
    const BuildRequest request{.manuscript = "book.rtf",
                               .bookName = "book",
                               .bookInfo = {"Fuzzed Book", "An Author", "", "", "2024-05-17", "", "", language},
                               .epub3 = epub3};
    const manuscript::NormalisedManuscript normalised = manuscript::normaliseManuscript(html, epub3);
    const EmptyFolder folder;
    const epub::AssembledBook book =
        epub::assemblePackage({.lines = normalised.lines,
                               .request = request,
                               .templates = templates,
                               .texts = {"Contents", "Endnotes", "Cover", "is not a picture"},
                               .stylesheet = normalised.stylesheet,
                               .folder = folder.list({})});
    const epub::Rendering rendering = epub::epubRendering(book.model, "");
    const epub::BookFiles files = epub::packageFiles(book.model, templates, rendering);
    if (const Outcome checked = epub::allWellFormed(files.files); !checked) return version + " " + checked.reason();
    const Result<std::string> archive = epub::archive::archiveBytes(files.files, {folder, ""}, 0);
    if (!archive) return version + ": no book made: " + archive.reason();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> illFormedDocument(std::string_view manuscript, const epub::Templates& epub2,
                                             const epub::Templates& epub3) {
    const std::string html = conv::rtfToHtml(manuscript);
    // Arabic (1) and Hebrew (9) among the others, chosen by the input.
    const std::string language = std::to_string(manuscript.size() % 20);
    if (auto problem = buildOnce(html, true, language, epub3)) return problem;
    return buildOnce(html, false, std::to_string((manuscript.size() / 20) % 20), epub2);
}

}  // namespace quillary::fuzzing
