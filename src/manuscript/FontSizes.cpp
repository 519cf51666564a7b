#include "manuscript/FontSizes.h"

#include "base/Utf8.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace quillary::manuscript {
namespace {

constexpr std::string_view kShorthand = "font: ";
constexpr double kSmallerBaseline = 0.75;
// Most word processors start a document at 12 points; it stands for the
// body when the manuscript's text says nothing.
constexpr double kUsualBodyPixels = 12.0;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the number of a "font: N.Npx" shorthand starts and ends, or
// npos twice.
std::pair<std::size_t, std::size_t> sizeSpan(std::string_view rule) {
    const std::size_t at = rule.find(kShorthand);
    if (at == std::string_view::npos) return {std::string_view::npos, std::string_view::npos};
    const std::size_t start = at + kShorthand.size();
    std::size_t end = start;
    while (end < rule.size() && (isDigit(rule[end]) || rule[end] == '.')) ++end;
    if (end == start || rule.substr(end, 2) != "px") return {std::string_view::npos, std::string_view::npos};
    return {start, end};
}

std::string_view selectorOf(std::string_view rule) { return rule.substr(0, rule.find(" {")); }

bool isRunSelector(std::string_view selector) { return selector.starts_with("span."); }

// The characters of text on a line, tags and their attributes left out.
struct Tally {
    std::map<std::string, std::size_t, std::less<>> textByBlock;                        // "p.p5" -> characters
    std::map<std::string, std::map<std::string, std::size_t>, std::less<>> runParents;  // "span.s2" -> blocks
};

// The element and class of a tag that starts at `text`'s "<": "p.p5" for
// `<p class="p5">`; "" for a closing tag or one without a class.
std::string classOfTag(std::string_view tag) {
    std::size_t nameEnd = 1;
    while (nameEnd < tag.size() && tag[nameEnd] != ' ' && tag[nameEnd] != '>') ++nameEnd;
    const std::string_view name = tag.substr(1, nameEnd - 1);
    if (name.empty() || name.front() == '/') return {};
    const std::size_t classAt = tag.find(" class=\"");
    if (classAt == std::string_view::npos) return {};
    const std::size_t valueStart = classAt + 8;
    const std::size_t valueEnd = tag.find('"', valueStart);
    if (valueEnd == std::string_view::npos) return {};
    return std::string(name) + "." + std::string(tag.substr(valueStart, valueEnd - valueStart));
}

void tallyLine(std::string_view line, Tally& tally) {
    std::string block;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t open = std::min(line.find('<', at), line.size());
        if (!block.empty() && open > at) tally.textByBlock[block] += utf8::characterCount(line.substr(at, open - at));
        if (open == line.size()) return;
        const std::size_t close = line.find('>', open);
        if (close == std::string_view::npos) return;
        std::string selector = classOfTag(line.substr(open, close - open));
        if (isRunSelector(selector)) ++tally.runParents[selector][block];
        else if (!selector.empty()) block = std::move(selector);
        at = close + 1;
    }
}

std::string percentage(double pixels, double of) { return std::to_string(std::lround(pixels / of * 100.0)) + "%"; }

bool raisedOrLowered(std::string_view rule) {
    return rule.find("vertical-align: super") != std::string_view::npos ||
           rule.find("vertical-align: sub") != std::string_view::npos;
}

}  // namespace

double fontPixels(std::string_view rule) {
    const auto [start, end] = sizeSpan(rule);
    if (start == std::string_view::npos) return 0;
    try {
        return std::stod(std::string(rule.substr(start, end - start)));
    } catch (const std::exception&) {
        return 0;
    }
}

void makeSizesRelative(std::vector<std::string>& rules, std::span<const std::string> body) {
    std::map<std::string, double, std::less<>> sizes;
    for (const std::string& rule : rules)
        if (const double pixels = fontPixels(rule); pixels > 0) sizes[std::string(selectorOf(rule))] = pixels;
    Tally tally;
    for (const std::string& line : body) tallyLine(line, tally);

    std::map<double, std::size_t> textBySize;
    for (const auto& [block, characters] : tally.textByBlock)
        if (const auto size = sizes.find(block); size != sizes.end()) textBySize[size->second] += characters;
    double bodyPixels = kUsualBodyPixels;
    std::size_t most = 0;
    for (const auto& [pixels, characters] : textBySize)
        if (characters > most) most = characters, bodyPixels = pixels;

    const auto parentPixels = [&](std::string_view run) {
        const auto parents = tally.runParents.find(run);
        if (parents == tally.runParents.end()) return bodyPixels;
        std::size_t often = 0;
        double pixels = bodyPixels;
        for (const auto& [block, count] : parents->second) {
            const auto size = sizes.find(block);
            if (count > often && size != sizes.end()) often = count, pixels = size->second;
        }
        return pixels;
    };
    for (std::string& rule : rules) {
        const std::string_view selector = selectorOf(rule);
        const bool run = isRunSelector(selector);
        const bool smaller = run && raisedOrLowered(rule);
        const auto [start, end] = sizeSpan(rule);
        if (start != std::string_view::npos) {
            const double pixels = fontPixels(rule) * (smaller ? kSmallerBaseline : 1.0);
            rule.replace(start, end - start + 2, percentage(pixels, run ? parentPixels(selector) : bodyPixels));
        } else if (smaller && rule.ends_with("}")) {
            rule.insert(rule.size() - 1, "; font-size: 75%");
        }
    }
}

}  // namespace quillary::manuscript
