#include "epub/PageNesting.h"

#include <algorithm>

namespace quillary::epub {

namespace {

// One past the ">" that ends the tag opened at `start`, skipping quoted
// attribute values, where a ">" may stand; npos when the tag never ends.
std::size_t tagEnd(std::string_view line, std::size_t start) {
    char quote = 0;
    for (std::size_t i = start + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        } else if (c == '<') {
            return std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }

bool isNameCharacter(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

std::string_view tagName(std::string_view tag) {
    std::size_t from = tag[1] == '/' ? 2 : 1;
    if (from >= tag.size() || !isNameStart(tag[from])) return {};
    std::size_t to = from;
    while (to < tag.size() && isNameCharacter(tag[to])) ++to;
    return tag.substr(from, to - from);
}

}  // namespace

std::string PageNesting::close(std::string_view name) {
    const auto match = std::find_if(open_.rbegin(), open_.rend(),
                                    [&](const OpenElement& element) { return element.name == name; });
    if (match == open_.rend()) return {};
    std::string closers;
    const auto keep = open_.size() - static_cast<std::size_t>(match - open_.rbegin()) - 1;
    while (open_.size() > keep) {
        closers += "</" + open_.back().name + ">";
        open_.pop_back();
    }
    return closers;
}

void PageNesting::add(std::string& line) {
    std::size_t at = line.find('<');
    while (at != std::string::npos) {
        const std::size_t end = tagEnd(line, at);
        const std::string_view tag = end == std::string::npos ? std::string_view{}
                                                              : std::string_view(line).substr(at, end - at);
        const std::string_view name = tag.empty() ? std::string_view{} : tagName(tag);
        if (tag.size() > 2 && (tag[1] == '!' || tag[1] == '?')) {
            at = line.find('<', end);
            continue;
        }
        if (name.empty()) {
            line.replace(at, 1, "&lt;");
            at = line.find('<', at + 4);
            continue;
        }
        if (tag[1] == '/') {
            const std::string replacement = close(name);
            if (replacement != tag) line.replace(at, tag.size(), replacement);
            at = line.find('<', at + replacement.size());
            continue;
        }
        if (tag[tag.size() - 2] != '/') open_.push_back({std::string(name), std::string(tag)});
        at = line.find('<', end);
    }
}

std::string PageNesting::closingTags() const {
    std::string tags;
    for (auto element = open_.rbegin(); element != open_.rend(); ++element) tags += "</" + element->name + ">\n";
    return tags;
}

std::string PageNesting::finishPage(std::string text) {
    // How many of the open elements end the text with their opening tags,
    // and how many of the reopened ones start it with their closing tags.
    std::size_t peeledAtEnd = 0;
    std::size_t end = text.size();
    for (auto element = open_.rbegin(); element != open_.rend(); ++element, ++peeledAtEnd) {
        const std::string tail = element->tag + "\n";
        if (end < tail.size() || text.compare(end - tail.size(), tail.size(), tail) != 0) break;
        end -= tail.size();
    }
    std::size_t from = 0;
    std::size_t kept = reopened_.size();
    for (; kept > 0; --kept) {
        const std::string closer = "</" + reopened_[kept - 1].name + ">\n";
        if (from + closer.size() > end || text.compare(from, closer.size(), closer) != 0) break;
        from += closer.size();
    }
    // A page that would hold nothing but its frame keeps its empty elements:
    // an empty table cell is allowed, an empty page is not written at all.
    if (from == end) {
        from = 0;
        end = text.size();
        kept = reopened_.size();
        peeledAtEnd = 0;
    }
    std::string page;
    page.reserve(text.size() + 256);
    for (std::size_t i = 0; i < kept; ++i) page += reopened_[i].tag + "\n";
    page.append(text, from, end - from);
    for (auto element = open_.rbegin() + static_cast<std::ptrdiff_t>(peeledAtEnd); element != open_.rend(); ++element)
        page += "</" + element->name + ">\n";
    reopened_ = open_;
    return page;
}

std::string balanced(std::string fragment) {
    PageNesting nesting;
    nesting.add(fragment);
    for (auto closer = nesting.closingTags(); const char c : closer) {
        if (c != '\n') fragment += c;
    }
    return fragment;
}

}  // namespace quillary::epub
