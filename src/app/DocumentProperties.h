#pragma once
// The manuscript's own properties (title, author and the like, as the word
// processor keeps them), read without converting the manuscript: RTF's
// {\info} group from the file's beginning, the core and application
// properties of a .docx, the meta.xml of an .odt. A .doc has none that we
// read this cheaply: its properties reach the book only through its fields.

#include <string>

#include "book/BookInfo.h"

namespace quillary::app {

// What the manuscript's own document properties say of it, as plain UTF-8
// text; "" for what it does not state. The front ends offer them for the
// book information fields the author left empty.
struct DocumentProperties {
    std::string title, author, subject, keywords, publisher;
    std::string language;  // as the document states it; used only when a well-formed tag
    bool operator==(const DocumentProperties&) const = default;
    bool empty() const { return *this == DocumentProperties{}; }
};

// The properties of `manuscript`, by its extension; empty when it states
// none, cannot be read, or is a .doc. Reads at most the file's first
// kRtfPropertiesReach bytes of an RTF, and two small entries of a zip.
DocumentProperties readDocumentProperties(const std::string& manuscript);

// The properties from RTF text: the {\info} group's title, author, subject,
// keywords and company (the publisher), \'hh in the document's \ansicpg
// and \uN decoded. RTF names its language by a Windows number, not a tag:
// no language.
DocumentProperties rtfProperties(const std::string& rtf);

// The properties from the XML of a .docx's docProps/core.xml and
// docProps/app.xml, or of an .odt's meta.xml (pass it as `core`).
DocumentProperties xmlProperties(const std::string& core, const std::string& app);

// Lays the properties into the fields that are still empty: title, author,
// publisher, the genre (the subject, else the keywords) and, when
// `languageGiven` is false, the language. True when any field was filled.
bool fillFromProperties(BookInfo& fields, const DocumentProperties& properties, bool languageGiven);

}  // namespace quillary::app
