#include "manuscript/Stylesheet.h"

#include <charconv>

#include "base/Text.h"
#include "manuscript/FontSizes.h"

#include <span>

namespace quillary::manuscript {

// Fixed text, the same in every book (line 5's two blanks included): the
// classes and ids here are the ones the section and contents writers use.
const std::string_view kBaseStylesheet =
    "a {text-decoration: none}\n"
    "span.sz {}\n"
    "p.tc {margin: 0.0px 0.0px 0.0px 0.0px; text-align: center; text-indent: 0.0px; "
    "font: 135% 'Times New Roman'}\n"
    "p.tcd {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 100% 'Times New Roman'}\n"
    "#toc ol {  list-style-type: none; margin: 0 0 0 2em; padding: 0 0 0 0;}\n"
    "#toc ol ol {list-style-type: none; margin: 0 0 0 1em; padding: 0 0 0 0;}\n"
    "#toc ol li {margin: 0 0 0 0; padding: 0 0 0 0;}\n"
    "#toc ol li a {text-decoration: none; }\n"
    "#guide {display: none;}\n"
    ".preformatted {white-space: pre-wrap}\n";

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Where the text behind a declaration's ";" resumes: the blank that
// separates declarations goes with it, anything else (a closing brace) stays.
std::size_t behindSemicolon(std::string_view text, std::size_t semicolon) {
    std::size_t resume = semicolon + 1;
    if (resume < text.size() && text[resume] == ' ') ++resume;
    return resume;
}

// Start of the first occurrence of `needle` that begins within the last
// needle.size() - 1 characters of `head` and runs on into `tail`, or npos.
std::size_t findAcrossJoin(std::string_view head, std::string_view tail,
                           std::string_view needle) {
    const std::size_t from = head.size() > needle.size() - 1 ? head.size() - (needle.size() - 1) : 0;
    for (std::size_t start = from; start < head.size(); ++start) {
        const std::size_t inHead = head.size() - start;
        if (head.substr(start) == needle.substr(0, inHead) &&
            tail.substr(0, needle.size() - inHead) == needle.substr(inHead))
            return start;
    }
    return npos;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string stripStyle(std::string_view declarationStart, std::string_view rule) {
    const std::size_t start = rule.find(declarationStart);
    if (start == npos || declarationStart.empty()) return std::string(rule);
    std::string result(rule.substr(0, start));
    const std::size_t semicolon = rule.find(';', start);
    if (semicolon == npos) {
        result += '}';
    } else {
        result.append(rule.substr(behindSemicolon(rule, semicolon)));
    }
    return result;
}

// Removing a declaration joins the text before it to the text behind it,
// and that join may itself spell the declaration again; the naive loop
// would then copy the whole rule per removal. Here the text before the
// join is kept in `out` (which never holds a whole occurrence) and only its
// last few characters are looked at again.
std::string stripEveryStyle(std::string_view declarationStart, std::string_view rule) {
    if (declarationStart.empty()) return std::string(rule);
    std::string out;
    out.reserve(rule.size());
    std::string_view in = rule;
    while (true) {
        std::size_t matchEndInInput;
        const std::size_t joined = findAcrossJoin(out, in, declarationStart);
        if (joined != npos) {
            matchEndInInput = declarationStart.size() - (out.size() - joined);
            out.resize(joined);
        } else {
            const std::size_t start = in.find(declarationStart);
            if (start == npos) break;
            out.append(in.substr(0, start));
            matchEndInInput = start + declarationStart.size();
        }
        const std::size_t semicolon = in.find(';', matchEndInInput);
        in = semicolon == npos ? std::string_view("}") : in.substr(behindSemicolon(in, semicolon));
    }
    out.append(in);
    return out;
}

// The whole-rule pattern .*-[0-9]*\.[0-9]*px.* matched by hand: std::regex
// recurses per character and a long rule would exhaust the stack. Rules are
// single lines, so the pattern's "." never meets a line end.
bool hasNegativePixelValue(std::string_view rule) {
    for (std::size_t hyphen = rule.find('-'); hyphen != npos; hyphen = rule.find('-', hyphen + 1)) {
        std::size_t at = hyphen + 1;
        while (at < rule.size() && isDigit(rule[at])) ++at;
        if (at == rule.size() || rule[at] != '.') continue;
        ++at;
        while (at < rule.size() && isDigit(rule[at])) ++at;
        if (rule.substr(at, 2) == "px") return true;
    }
    return false;
}

namespace {

// The lengths of a declaration's value, in the rule's units ("0.0px 18.0px"
// gives 0 and 18); none when the rule lacks the declaration.
std::vector<double> declaredLengths(std::string_view rule, std::string_view declaration) {
    std::vector<double> lengths;
    const std::size_t at = rule.find(declaration);
    if (at == npos) return lengths;
    const std::size_t start = at + declaration.size();
    const std::string_view value = rule.substr(start, rule.find_first_of(";}", start) - start);
    // from_chars, not strtod: the window's locale may want a decimal comma.
    const char* cursor = value.data();
    const char* const end = value.data() + value.size();
    while (cursor != end) {
        while (cursor != end && *cursor == ' ') ++cursor;
        double length = 0;
        const auto [behind, error] = std::from_chars(cursor, end, length);
        if (error != std::errc()) break;
        lengths.push_back(length);
        cursor = behind;
        while (cursor != end && *cursor != ' ') ++cursor;  // the unit
    }
    return lengths;
}

// Families that set every character in the same width: text in them is
// code or a layout made with spaces, which a reading system would collapse.
constexpr std::string_view kMonospaceFamilies[] = {
    "courier", "courier new", "consolas", "menlo", "monaco", "lucida console", "lucida sans typewriter",
    "andale mono", "dejavu sans mono", "liberation mono", "nimbus mono l", "nimbus mono ps", "freemono",
    "source code pro", "inconsolata", "ubuntu mono", "noto mono", "cascadia code", "cascadia mono", "sf mono",
    "fira mono", "fira code", "roboto mono", "pt mono", "ocr a extended", "monospace"};

bool isMonospaceFamily(std::string_view family) {
    std::string name;
    for (char c : family)
        if (c != '\'' && c != '"') name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    name = text::trimBlanksAndTabs(name);
    for (std::string_view known : kMonospaceFamilies)
        if (name == known) return true;
    return false;
}

}  // namespace

std::string keepMonospaceLayout(std::string rule) {
    const std::size_t shorthand = rule.find("font: ");
    if (shorthand == npos) return rule;
    // The family follows the size: "font: 12.0px 'Courier New'; ...".
    const std::size_t familyStart = rule.find(' ', shorthand + 6);
    const std::size_t familyEnd = rule.find_first_of(";}", shorthand);
    if (familyStart == npos || familyEnd == npos || familyStart >= familyEnd) return rule;
    if (!isMonospaceFamily(std::string_view(rule).substr(familyStart + 1, familyEnd - familyStart - 1))) return rule;
    rule.insert(familyEnd, ", monospace");
    if (rule.ends_with("}") && !text::contains(rule, "white-space:"))
        rule.insert(rule.size() - 1, rule.ends_with(";}") ? " white-space: pre-wrap;" : "; white-space: pre-wrap");
    return rule;
}

bool pushesTextOffPage(std::string_view rule) {
    // The shorthand's one to four values: top, right, bottom, left as CSS
    // repeats them.
    const std::vector<double> margin = declaredLengths(rule, "margin:");
    const double right = margin.size() >= 2 ? margin[1] : margin.empty() ? 0 : margin[0];
    const double left = margin.size() == 4 ? margin[3] : right;
    const std::vector<double> indent = declaredLengths(rule, "text-indent:");
    // A first line indented back by no more than the margin is a hanging
    // indent, how every numbered list is made: it stays on the page.
    return left < 0 || right < 0 || (!indent.empty() && left + indent[0] < 0);
}

std::string editRule(std::string rule) {
    text::replaceAll(rule, "; text-align: justify", "");
    rule = stripStyle("background-color: #ffffff", rule);
    rule = stripStyle("line-height:", rule);
    rule = stripStyle("letter-spacing:", rule);
    text::replaceAll(rule, "{color: #000000}", "{}");
    rule = stripEveryStyle(" color: #000000", rule);
    rule = text::trimBlanksAndTabs(rule);
    // Reading systems indent paragraphs by default; the manuscript's
    // paragraphs are only indented where the author said so.
    if (text::contains(rule, "p.") && !text::contains(rule, "text-indent:"))
        text::replaceAll(rule, "; font", "; text-indent: 0.0px; font");
    return keepMonospaceLayout(std::move(rule));
}

DerivedStylesheet deriveStylesheet(const std::vector<std::string>& lines,
                                   bool negativeAlreadyFound) {
    DerivedStylesheet derived;
    derived.text = kBaseStylesheet;
    std::size_t opening = 0;
    while (opening < lines.size() && !text::contains(lines[opening], "<style")) ++opening;
    if (opening == lines.size()) return derived;

    // A block opened and closed on one line holds no rules.
    const std::string& openingLine = lines[opening];
    if (openingLine.find("</style>", openingLine.find("<style")) != npos) {
        derived.nextLine = opening + 1;
        derived.lastLineRead = openingLine;
        return derived;
    }
    std::size_t closing = opening + 1;
    while (closing < lines.size() && !text::contains(lines[closing], "</style>")) ++closing;
    // Without its end the block would swallow the body as rules.
    if (closing == lines.size()) return derived;

    bool lookForNegative = !negativeAlreadyFound;
    std::vector<std::string> rules;
    rules.reserve(closing - opening - 1);
    for (std::size_t index = opening + 1; index < closing; ++index) {
        std::string rule = editRule(lines[index]);
        if (lookForNegative && text::contains(rule, "margin:") && hasNegativePixelValue(rule) &&
            pushesTextOffPage(rule)) {
            derived.negativeRule = rule;
            lookForNegative = false;
        }
        rules.push_back(std::move(rule));
    }
    makeSizesRelative(rules, std::span(lines).subspan(closing + 1));
    for (const std::string& rule : rules) {
        derived.text += rule;
        derived.text += '\n';
    }
    derived.nextLine = closing + 1;
    derived.lastLineRead = lines[closing];
    return derived;
}

}  // namespace quillary::manuscript
