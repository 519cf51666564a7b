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

// Deeper than any equation a person writes; bounds the recursion on
// hostile input.
constexpr int kMaxEquationDepth = 16;

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// An EQ instruction is text with elements: a backslash, the element's name,
// its options (a backslash, a name, perhaps a number) and its arguments in
// parentheses, separated by commas. "\," "\(" and "\)" are the characters.
class EquationReader {
public:
    explicit EquationReader(std::string_view text) : text_(text) {}

    // The whole text; a "," or ")" that closes nothing is text too.
    std::string all() {
        std::string out = sequence(0);
        while (pos_ < text_.size()) {
            out += text_[pos_++];
            out += sequence(0);
        }
        return out;
    }

private:
    // The text up to the "," or ")" that ends the current argument.
    std::string sequence(int depth) {
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != ')') {
            const char c = text_[pos_++];
            if (c == '(') {
                for (const std::string& argument : arguments(depth + 1)) out += argument;
            } else if (c != '\\') {
                out += c;
            } else if (pos_ < text_.size() && isLetter(text_[pos_])) {
                out += element(depth);
            } else if (pos_ < text_.size() && text_[pos_] == '*') {
                ++pos_;
                skipFormatSwitchValue();
            } else if (pos_ < text_.size()) {
                out += text_[pos_++];
            }
        }
        return out;
    }

    std::vector<std::string> arguments(int depth) {
        if (depth > kMaxEquationDepth) {
            pos_ = text_.size();
            return {};
        }
        std::vector<std::string> result;
        while (true) {
            result.push_back(sequence(depth));
            if (pos_ >= text_.size() || text_[pos_++] == ')') return result;
        }
    }

    // Reads an element whose backslash is behind us and returns its text.
    std::string element(int depth) {
        const std::string_view name = word();
        std::vector<std::string> parts;
        while (true) {
            const std::size_t before = pos_;
            skipBlanks();
            if (pos_ < text_.size() && text_[pos_] == '(') {
                ++pos_;
                parts = arguments(depth + 1);
                break;
            }
            if (pos_ + 1 < text_.size() && text_[pos_] == '\\' && isLetter(text_[pos_ + 1])) {
                ++pos_;
                word();  // an option such as \ad or \up 10
                skipBlanks();
                while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
                continue;
            }
            pos_ = before;
            break;
        }
        const bool overstrike = name.size() == 1 && (name[0] == 'o' || name[0] == 'O');
        if (overstrike) return parts.empty() ? std::string() : parts.back();
        std::string out;
        for (const std::string& part : parts) out += part;
        return out;
    }

    std::string_view word() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && isLetter(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    // "\* jc2", "\* \"Font:MS Mincho\"": how to lay the equation out, no text.
    void skipFormatSwitchValue() {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const std::size_t close = text_.find('"', pos_ + 1);
            pos_ = close == std::string_view::npos ? text_.size() : close + 1;
            return;
        }
        while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string equationText(std::string_view instruction) {
    std::size_t start = 0;
    while (start < instruction.size() && isBlank(instruction[start])) ++start;
    std::size_t end = start;
    while (end < instruction.size() && isLetter(instruction[end])) ++end;
    if (!equalsIgnoringCase(instruction.substr(start, end - start), "EQ")) return {};
    std::string text = EquationReader(instruction.substr(end)).all();
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

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
