#pragma once
// One XML part of an Office Open XML package, parsed, with its elements and
// attributes named by namespace rather than by the prefixes its writer chose.
// Parsing never reads a DTD, never expands an entity the document declares
// and never looks outside the text it is given: a declared entity stays in
// the text as its reference.

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace conv {

// The namespaces the readers look at; each stands for its transitional and
// its strict name.
enum class Ns : std::uint8_t {
    None,          // an attribute without a prefix
    W,             // WordprocessingML
    R,             // relationships, as referred to from a part
    WP,            // drawings placed in the text
    A,             // DrawingML
    Pic,           // DrawingML pictures
    Wps,           // shapes (text boxes)
    V,             // VML, the older drawings
    Mc,            // markup compatibility
    PackageRels,   // a .rels part
    CoreProps,     // docProps/core.xml
    Dc,            // Dublin Core elements in core.xml
    Other,
    kCount,
};

class XmlPart {
public:
    // The part parsed from its text, or nullopt when it is not well-formed;
    // `error` then says where.
    static std::optional<XmlPart> parse(std::string text, std::string* error = nullptr);

    pugi::xml_node root() const { return document_->document_element(); }

    // The namespace of an element's or attribute's prefix, and its local name.
    Ns nameSpace(std::string_view qualifiedName, std::string_view* local = nullptr) const;
    bool is(pugi::xml_node node, Ns ns, std::string_view local) const;

    pugi::xml_attribute attribute(pugi::xml_node node, Ns ns, std::string_view local) const;
    pugi::xml_node child(pugi::xml_node node, Ns ns, std::string_view local) const;

    // The w:val of an element, "" when it has none.
    std::string_view val(pugi::xml_node node) const;

private:
    XmlPart() = default;
    void readDeclarations();

    std::unique_ptr<std::string> text_;  // parsed in place: the nodes point into it
    std::unique_ptr<pugi::xml_document> document_;
    std::array<std::string, static_cast<std::size_t>(Ns::kCount)> prefixes_;
};

// The text of an element: its character data, CDATA included.
std::string textOf(pugi::xml_node node);

// A number as a part writes it (leading blanks, a sign, digits; anything
// after them ignored), clamped to the range of int; `fallback` when there
// are no digits.
int numberOf(std::string_view text, int fallback = 0);

// An on/off property: on unless its value says "0", "false" or "off".
bool isOn(std::string_view value, bool present);

}  // namespace conv
