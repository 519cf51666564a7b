#pragma once
// A WordprocessingML package: its parts and the relationships between them.
// Parts are found by name inside the archive only; no name or target is
// ever used as a path of the file system. Internal to the .docx reader.

#include "converter/XmlPart.h"
#include "converter/ZipPackage.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace conv {

struct Relationship {
    std::string type;
    std::string target;     // a part name, or an address outside the package when external
    bool external = false;
};
using Relationships = std::unordered_map<std::string, Relationship>;  // by id

// Whether a relationship is of a kind, named by the last segment of its
// type ("officeDocument", "image", "hyperlink"), transitional or strict.
bool relationshipIs(const Relationship& relationship, std::string_view kind);

// The name of the part a relationship of `sourcePart` targets, without a
// leading "/"; nullopt when the target climbs out of the package.
std::optional<std::string> resolvePartName(std::string_view sourcePart, std::string_view target);

class DocxPackage {
public:
    explicit DocxPackage(ZipPackage zip) : zip_(std::move(zip)) {}

    // A part's bytes; nullopt when it is missing or unreadable, and always
    // once the package has been refused.
    std::optional<std::string> read(std::string_view partName,
                                    std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
    // A part parsed; nullopt when it is missing or not well-formed (`error`
    // then says how, when given). A part that would take more memory to
    // hold than any manuscript's text refuses the package.
    std::optional<XmlPart> readXml(std::string_view partName, std::string* error = nullptr);
    // The relationships a part (or, for "", the package) holds.
    Relationships relationships(std::string_view sourcePart);

    // Why the package must not be read further: it unpacks to more than
    // the limits allow. Empty while it may.
    const std::string& refusal() const { return refusal_; }

private:
    ZipPackage zip_;
    std::string refusal_;
};

}  // namespace conv
