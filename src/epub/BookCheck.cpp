#include "epub/BookCheck.h"

#include <cctype>
#include <cstdlib>
#include <cstdint>

#include "base/ShellQuote.h"
#include "base/Text.h"
#include "epub/Archive.h"
#include "platform/Executables.h"
#include "platform/Files.h"

namespace quillary::epub {

namespace {

// Where Debian's epubcheck package puts the program. Its /usr/bin/epubcheck
// is the same jar, which runs only where the kernel is set up to start jars.
constexpr const char* kDebianJar = "/usr/share/java/epubcheck.jar";
// A page larger than this is no page of ours; its first words are not needed.
constexpr std::uint64_t kPageSizeLimit = 64u * 1024 * 1024;

std::string commandFor(const std::string& program) {
    if (!text::endsWith(program, ".jar")) return "\"" + shellQuoteDouble(program) + "\"";
    const auto java = findExecutableOnPath("java");
    if (!java) return {};
    return "\"" + shellQuoteDouble(*java) + "\" -jar \"" + shellQuoteDouble(program) + "\"";
}

bool isPage(const std::string& entry) {
    return text::endsWith(entry, ".xhtml") || text::endsWith(entry, ".html") || text::endsWith(entry, ".htm");
}

// "(11,91): text" after the entry's name; the numbers are -1 when EPUBCheck
// knows no place.
CheckMessage splitPlace(std::string rest, CheckMessage message) {
    if (text::startsWith(rest, "(")) {
        const std::size_t close = rest.find("): ");
        if (close != std::string::npos) {
            message.line = std::atoi(rest.c_str() + 1);
            if (message.line <= 0) message.line = -1;
            rest.erase(0, close + 1);
        }
    }
    if (text::startsWith(rest, ": ")) rest.erase(0, 2);
    message.text = rest;
    return message;
}

// "ERROR(RSC-007): BOOK/OEBPS/section2.xhtml(11,91): Referenced resource ..."
std::optional<CheckMessage> parseLine(const std::string& line, const std::string& epubPath) {
    const std::size_t open = line.find('(');
    const std::size_t close = line.find("): ");
    if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
    CheckMessage message;
    message.severity = line.substr(0, open);
    if (message.severity != "FATAL" && message.severity != "ERROR" && message.severity != "WARNING" &&
        message.severity != "INFO" && message.severity != "USAGE")
        return std::nullopt;
    message.code = line.substr(open + 1, close - open - 1);
    std::string rest = line.substr(close + 3);
    // The book's path as EPUBCheck was given it, then the entry's name.
    std::size_t afterBook = epubPath.size();
    if (!text::startsWith(rest, epubPath)) {
        afterBook = rest.find(".epub");
        if (afterBook == std::string::npos) return splitPlace(rest, message);
        afterBook += std::string_view(".epub").size();
    }
    rest.erase(0, afterBook);
    if (text::startsWith(rest, "/")) {
        const std::size_t end = rest.find_first_of("(:");
        message.page = rest.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        rest.erase(0, end == std::string::npos ? rest.size() : end);
    }
    return splitPlace(rest, message);
}

// The text of the body: tags dropped (each a word break), references
// decoded, no-break spaces as blanks.
std::string bodyText(const std::string& xhtml) {
    const std::size_t body = xhtml.find("<body");
    std::string out;
    for (std::size_t i = body == std::string::npos ? 0 : body; i < xhtml.size();) {
        if (xhtml[i] != '<') {
            out += xhtml[i++];
            continue;
        }
        const std::size_t end = xhtml.find('>', i);
        if (end == std::string::npos) break;
        out += ' ';
        i = end + 1;
    }
    text::replaceAll(out, "&nbsp;", " ");
    out = text::decodeCharacterReferences(out);
    text::replaceAll(out, "\xC2\xA0", " ");
    return out;
}

std::string trimmed(const std::string& text) {
    std::size_t start = 0, end = text.size();
    while (start < end && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(start, end - start);
}

void count(const CheckMessage& message, BookCheck& check) {
    if (message.severity == "ERROR" || message.severity == "FATAL") ++check.errors;
    if (message.severity == "WARNING") ++check.warnings;
}

}  // namespace

std::string epubCheckCommand(const std::optional<std::string>& override) {
    if (override) {
        if (override->empty()) return {};
        const bool named = override->find('/') != std::string::npos;
        if (named ? !files::exists(*override) : !findExecutableOnPath(*override)) return {};
        return commandFor(*override);
    }
    if (files::exists(kDebianJar)) {
        if (std::string command = commandFor(kDebianJar); !command.empty()) return command;
    }
    if (const auto program = findExecutableOnPath("epubcheck")) return commandFor(*program);
    return {};
}

std::vector<PageFindings> parseEpubCheckOutput(const std::string& output, const std::string& epubPath) {
    std::vector<PageFindings> pages;
    for (const std::string& line : text::split(output, "\n")) {
        std::optional<CheckMessage> message = parseLine(trimmed(line), epubPath);
        if (!message) continue;
        auto page = pages.begin();
        while (page != pages.end() && page->page != message->page) ++page;
        if (page == pages.end()) page = pages.insert(pages.end(), PageFindings{message->page, {}, {}});
        page->messages.push_back(std::move(*message));
    }
    return pages;
}

std::string firstWordsOfPage(const std::string& xhtml, std::size_t count) {
    const std::string text = bodyText(xhtml);
    std::string words;
    std::size_t taken = 0;
    for (std::size_t i = 0; i < text.size();) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size()) break;
        if (taken == count) return words + " \u2026";
        std::size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        words += (taken++ ? " " : "") + text.substr(i, end - i);
        i = end;
    }
    return words;
}

BookCheck checkBook(Shell& shell, const std::string& command, const std::string& epubPath) {
    BookCheck check;
    if (command.empty()) return check;
    const ShellResult result =
        shell.run(command + " -q \"" + shellQuoteDouble(epubPath) + "\"", {}, kEpubCheckTimeLimit);
    const std::string output = result.output.value_or("");
    check.pages = parseEpubCheckOutput(output, epubPath);
    std::vector<std::string> pageNames;
    for (const PageFindings& page : check.pages) {
        for (const CheckMessage& message : page.messages) count(message, check);
        if (isPage(page.page)) pageNames.push_back(page.page);
    }
    const auto pages = archive::entryTexts(epubPath, pageNames, kPageSizeLimit);
    auto xhtml = pages.begin();
    for (PageFindings& page : check.pages) {
        if (!isPage(page.page)) continue;
        if (*xhtml) page.firstWords = firstWordsOfPage(**xhtml);
        ++xhtml;
    }
    // EPUBCheck exits with 1 when it found errors; anything else but a clean
    // exit means it could not finish its check.
    const bool judged = result.exitedCleanly() || (result.end == ShellResult::End::Exited && result.status == 1);
    if (!judged || (result.status == 1 && check.errors == 0)) {
        check.verdict = BookCheck::Verdict::Failed;
        check.failure = result.end == ShellResult::End::TimedOut ? "it did not finish in time"
                                                                  : trimmed(output.substr(0, 600));
        return check;
    }
    check.verdict = check.errors == 0 ? BookCheck::Verdict::Valid : BookCheck::Verdict::Invalid;
    return check;
}

std::string describeBookCheck(const BookCheck& check, const std::string& bookName, const Localizer& texts) {
    using Verdict = BookCheck::Verdict;
    switch (check.verdict) {
        case Verdict::NotInstalled:
            return texts.text("EPUBCheck is not installed. Install it with: sudo apt install epubcheck");
        case Verdict::Failed:
            return text::format(texts.text("EPUBCheck could not check %@: %@"), {bookName, check.failure});
        case Verdict::Valid:
        case Verdict::Invalid: break;
    }
    std::string out = check.verdict == Verdict::Valid
                          ? text::format(texts.text("EPUBCheck finds no errors in %@."), {bookName})
                          : text::format(texts.text("EPUBCheck finds errors in %@: %@ errors, %@ warnings."),
                                         {bookName, std::to_string(check.errors), std::to_string(check.warnings)});
    for (const PageFindings& page : check.pages) {
        out += "\n\n";
        if (page.page.empty()) out += texts.text("The book as a whole:");
        else if (page.firstWords.empty()) out += text::format(texts.text("Page %@:"), {page.page});
        else out += text::format(texts.text("Page %@, which begins \u201c%@\u201d:"), {page.page, page.firstWords});
        for (const CheckMessage& message : page.messages) {
            out += "\n  " + message.severity + " " + message.code;
            if (message.line > 0) out += " " + text::format(texts.text("(line %@)"), {std::to_string(message.line)});
            out += ": " + message.text;
        }
    }
    return out;
}

}  // namespace quillary::epub
