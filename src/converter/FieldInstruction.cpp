#include "converter/FieldInstruction.h"

#include <cctype>
#include <vector>

namespace conv {

namespace {

struct Argument {
    std::string text;
    bool isSwitch = false;
};

// Field instructions separate arguments by blanks, quote them with double
// quotes and double every backslash that is meant literally.
std::vector<Argument> splitArguments(std::string_view text) {
    std::vector<Argument> arguments;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size()) break;
        Argument argument;
        if (text[i] == '"') {
            ++i;
            while (i < text.size() && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
                argument.text += text[i++];
            }
            ++i;
        } else {
            argument.isSwitch = text[i] == '\\';
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
                if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
                argument.text += text[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string hyperlinkTarget(std::string_view instruction) {
    std::vector<Argument> arguments = splitArguments(instruction);
    if (arguments.empty() || arguments[0].isSwitch || !equalsIgnoringCase(arguments[0].text, "HYPERLINK"))
        return {};
    std::string address;
    std::string anchor;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const Argument& argument = arguments[i];
        if (argument.isSwitch) {
            // \l, \o and \t take a value; \m, \n and \h do not.
            bool takesValue = argument.text == "\\l" || argument.text == "\\o" || argument.text == "\\t";
            if (takesValue && i + 1 < arguments.size()) {
                if (argument.text == "\\l") anchor = arguments[i + 1].text;
                ++i;
            }
        } else if (address.empty()) {
            address = argument.text;
        }
    }
    // A bare "#anchor" is the other spelling of \l: LibreOffice writes the
    // contents entries and cross-references of a Word document that way.
    if (address.empty() || address.front() == '#') return {};
    if (!anchor.empty()) address += "#" + anchor;
    return address;
}

}  // namespace conv
