#include "converter/DocxReader.h"

#include "converter/DocxBody.h"

#include <utility>

namespace conv {

namespace {

constexpr std::string_view kMainPart = "word/document.xml";

std::optional<std::string> partOf(const Relationships& relationships, std::string_view kind) {
    for (const auto& [id, relationship] : relationships) {
        if (!relationship.external && relationshipIs(relationship, kind)) return relationship.target;
    }
    return std::nullopt;
}

std::optional<XmlPart> readRelated(DocxPackage& package, const Relationships& relationships, std::string_view kind) {
    const std::optional<std::string> name = partOf(relationships, kind);
    return name ? package.readXml(*name) : std::nullopt;
}

// Notes hold text: one that cannot be read is an error, as the text is.
quillary::Result<DocxNotes> readNotes(DocxPackage& package, const Relationships& relationships, std::string_view kind,
                                      std::string_view element) {
    DocxNotes notes;
    const std::optional<std::string> name = partOf(relationships, kind);
    if (!name) return notes;
    std::string error;
    notes.part = package.readXml(*name, &error);
    if (!error.empty()) return quillary::failure("Its notes (" + *name + ") are damaged: " + error + ".");
    if (!notes.part) return notes;
    notes.relationships = package.relationships(*name);
    const XmlPart& part = *notes.part;
    for (pugi::xml_node note = part.root().first_child(); note; note = note.next_sibling()) {
        if (part.is(note, Ns::W, element)) notes.byId.try_emplace(part.attribute(note, Ns::W, "id").value(), note);
    }
    return notes;
}

std::string trimmed(std::string text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return {};
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return text.substr(start);
}

// The title, author, subject, keywords and language of the package's core properties.
std::string readInfo(DocxPackage& package, const Relationships& relationships, DocumentInfo& info) {
    const std::optional<XmlPart> core = readRelated(package, relationships, "core-properties");
    if (!core) return {};
    std::string language;
    for (pugi::xml_node property = core->root().first_child(); property; property = property.next_sibling()) {
        std::string_view local;
        const Ns ns = core->nameSpace(property.name(), &local);
        std::string text = trimmed(textOf(property));
        if (ns == Ns::Dc && local == "title") info.title = std::move(text);
        else if (ns == Ns::Dc && local == "creator") info.author = std::move(text);
        else if (ns == Ns::Dc && local == "subject") info.subject = std::move(text);
        else if (ns == Ns::Dc && local == "language") language = std::move(text);
        else if (ns == Ns::CoreProps && local == "keywords") info.keywords = std::move(text);
    }
    return language;
}

void clearLanguage(CharFormat& format, int language) {
    if (format.language == language) format.language = -1;
}

void clearLanguage(Paragraph& paragraph, int language) {
    clearLanguage(paragraph.markFormat, language);
    for (Inline& item : paragraph.inlines) clearLanguage(item.format, language);
}

// The document's language is the one most of its text is in; runs in it
// need no language of their own.
void settleLanguage(Document& document, const std::unordered_map<int, std::size_t>& shares, std::string fallback) {
    int majority = -1;
    std::size_t most = 0;
    for (const auto& [language, characters] : shares) {
        if (language >= 0 && (characters > most || (characters == most && language < majority))) {
            majority = language;
            most = characters;
        }
    }
    document.info.language =
        majority >= 0 ? document.languages[static_cast<std::size_t>(majority)] : std::move(fallback);
    if (majority < 0) return;
    for (Block& block : document.blocks) {
        if (auto* paragraph = std::get_if<Paragraph>(&block)) {
            clearLanguage(*paragraph, majority);
            continue;
        }
        for (Row& row : std::get<Table>(block).rows) {
            for (Cell& cell : row.cells) {
                for (Paragraph& paragraph : cell.paragraphs) clearLanguage(paragraph, majority);
            }
        }
    }
}

}  // namespace

quillary::Result<Document> readDocx(std::string_view bytes, std::size_t maxPieces) {
    quillary::Result<ZipPackage> zip = ZipPackage::open(bytes);
    if (!zip) return quillary::failure(zip.reason());
    DocxPackage package(std::move(*zip));
    const Relationships packageRelationships = package.relationships("");
    const std::string mainName = partOf(packageRelationships, "officeDocument").value_or(std::string(kMainPart));
    std::string error;
    std::optional<XmlPart> main = package.readXml(mainName, &error);
    if (!package.refusal().empty()) return quillary::failure(package.refusal());
    if (!main && error.empty()) return quillary::failure("It holds no document text (" + mainName + ").");
    if (!main) return quillary::failure("Its text (" + mainName + ") is damaged: " + error + ".");
    const Relationships relationships = package.relationships(mainName);

    Document document;
    DocxStyles styles(document);
    styles.readTheme(readRelated(package, relationships, "theme"));
    styles.readStyles(readRelated(package, relationships, "styles"));
    DocxNumbering numbering;
    numbering.read(readRelated(package, relationships, "numbering"));
    quillary::Result<DocxNotes> footnotes = readNotes(package, relationships, "footnotes", "footnote");
    if (!footnotes) return quillary::failure(footnotes.reason());
    quillary::Result<DocxNotes> endnotes = readNotes(package, relationships, "endnotes", "endnote");
    if (!endnotes) return quillary::failure(endnotes.reason());
    DocxBody body(document, DocxSources{package, styles, numbering, *footnotes, *endnotes}, maxPieces);
    body.read(*main, relationships);
    main.reset();
    if (body.overLimit()) return quillary::failure(tooManyPiecesReason(maxPieces));
    if (!package.refusal().empty()) return quillary::failure(package.refusal());

    std::string fallbackLanguage = readInfo(package, packageRelationships, document.info);
    if (fallbackLanguage.empty()) {
        if (const std::optional<XmlPart> settings = readRelated(package, relationships, "settings"))
            fallbackLanguage = settings->val(settings->child(settings->root(), Ns::W, "themeFontLang"));
    }
    settleLanguage(document, body.languageShares(), std::move(fallbackLanguage));
    return document;
}

}  // namespace conv
