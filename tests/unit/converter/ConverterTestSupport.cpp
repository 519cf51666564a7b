#include "ConverterTestSupport.h"

#include "base/ShellQuote.h"
#include "base/Text.h"
#include "base/Utf8.h"
#include "platform/Files.h"
#include "platform/PosixShell.h"

namespace conv::testing {

namespace {

Lines linesBetween(const std::string& html, std::string_view first, std::string_view last) {
    std::size_t start = html.find(first);
    if (start == std::string::npos) return {};
    start = html.find('\n', start) + 1;
    std::size_t end = html.find(last, start);
    if (end == std::string::npos || end == start) return {};
    return quillary::text::split(std::string_view(html).substr(start, end - start - 1), "\n");
}

std::string withCharacters(std::string value) {
    for (std::size_t at = value.find("<U+"); at != std::string::npos; at = value.find("<U+", at)) {
        const std::size_t end = value.find('>', at);
        std::string character;
        const unsigned long code = std::stoul(value.substr(at + 3, end - at - 3), nullptr, 16);
        quillary::utf8::append(character, static_cast<char32_t>(code));
        value.replace(at, end + 1 - at, character);
        at += character.size();
    }
    return value;
}

}  // namespace

Lines bodyLines(const std::string& html) { return linesBetween(html, "<body>", "</body>"); }

std::string visibleText(const std::string& html, std::string_view noteMark) {
    std::size_t start = html.find("<body>");
    std::string_view rest = start == std::string::npos ? std::string_view(html) : std::string_view(html).substr(start);
    rest = rest.substr(0, rest.find("</body>"));
    std::string body;
    bool inTag = false;
    for (char c : rest) {
        if (c == '<') inTag = true;
        else if (c == '>' && inTag) inTag = false;
        else if (!inTag) body += c;
    }
    // Hyperlink targets, then notes, while "<" is still an entity.
    for (std::size_t at = body.find("HYPERLINK \""); at != std::string::npos; at = body.find("HYPERLINK \"", at)) {
        std::size_t close = body.find('"', at + 11);
        if (close == std::string::npos) break;
        if (close + 1 < body.size() && body[close + 1] == ' ') ++close;
        body.erase(at, close + 1 - at);
    }
    for (std::size_t at = body.find("&lt;&lt;"); at != std::string::npos; at = body.find("&lt;&lt;", at)) {
        std::size_t close = body.find("&gt;&gt;", at);
        if (close == std::string::npos) break;
        body.replace(at, close + 8 - at, noteMark);
        at += noteMark.size();
    }
    for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
        quillary::text::replaceAll(body, from, to);
    return body;
}

std::string oneParagraphText(const std::string& html) {
    std::string text = visibleText(html);
    text.erase(0, text.find_first_not_of('\n'));
    text.erase(text.find_last_not_of('\n') + 1);
    return text;
}

std::string ruleOf(const std::string& html, std::string_view selector) {
    for (const std::string& line : linesBetween(html, "<style", "</style>")) {
        if (line.starts_with(std::string(selector) + " {") && line.ends_with("}"))
            return line.substr(selector.size() + 2, line.size() - selector.size() - 3);
    }
    return "(no rule " + std::string(selector) + ")";
}

std::string setting(const std::string& name) {
    std::string value = quillary::testing::suiteSetting(name);
    std::string source = __FILE__;
    std::string root = source.substr(0, source.rfind("/tests/unit/converter/"));
    if (!value.empty()) return value;
    if (name == "QUILLARY_FIXTURES") return root + "/tests/fixtures";
    return name == "QUILLARY_CORPUS" ? root + "/../shared/corpus" : "";
}

std::vector<Case> readCases(const std::string& name) {
    std::vector<Case> cases;
    bool inCase = false;
    std::size_t number = 0;
    for (const std::string& line : quillary::text::split(readFile(setting("QUILLARY_FIXTURES") + "/" + name), "\n")) {
        ++number;
        if (line.starts_with("#")) continue;
        if (line.empty()) {
            inCase = false;
            continue;
        }
        if (!inCase) cases.push_back({name + ":" + std::to_string(number), {}});
        inCase = true;
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) cases.back().entries.emplace_back("", line);
        else cases.back().entries.emplace_back(line.substr(0, colon), withCharacters(line.substr(colon + 2)));
    }
    return cases;
}

ProgramResult runTextutil(const Lines& arguments, const char* path) {
    using quillary::shellQuoteSingle;
    std::string command = path ? "PATH='" + shellQuoteSingle(path) + "' " : "";
    command += "'" + shellQuoteSingle(setting("QUILLARY_TEXTUTIL")) + "'";
    for (const std::string& argument : arguments) command += " '" + shellQuoteSingle(argument) + "'";
    // The status follows the program's output on a line of its own.
    std::optional<std::string> output = quillary::PosixShell().run(command + "; printf '\\n%d' $?").output;
    if (!output) return {-1, "(no output, or output that is not UTF-8)"};
    std::size_t last = output->rfind('\n');
    return {std::stoi(output->substr(last + 1)), output->substr(0, last)};
}

std::string readFile(const std::string& path) { return quillary::files::readFile(path).value_or(""); }

}  // namespace conv::testing
