#include "cli/Arguments.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "app/BookInformation.h"
#include "build/Text.h"
#include "build/VoveZedevir.h"

namespace quillary {

const char* const kUsage =
    "Usage:\n"
    "  quillary build MANUSCRIPT [-o OUTPUT.epub] [--epub2|--epub3] [--kindle]\n"
    "                 [--title T] [--author A] [--publisher P] [--copyright C]\n"
    "                 [--isbn I] [--genre G] [--date YYYY-MM-DD] [--language CODE|INDEX]\n"
    "                 [--open] [--report json]\n"
    "  quillary install-kindlegen FILE\n"
    "  quillary --help | --version\n"
    "\n"
    "Builds an EPUB (and with --kindle a Kindle file) from an .rtf or .doc manuscript.\n"
    "Book information stored from an earlier build fills the fields; the flags replace it.\n"
    "Exit status: 0 when the EPUB was made, 1 when the build failed, 2 for usage errors.\n";

std::optional<int> parseLanguageOption(const std::string& value) {
    if (!value.empty() && std::all_of(value.begin(), value.end(),
                                      [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        if (value.size() > 2) return std::nullopt;
        const int index = std::stoi(value);
        if (index < kLanguageCount) return index;
        return std::nullopt;
    }
    for (int i = 0; i < kLanguageCount; ++i)
        if (text::equalsIgnoringCase(value, languages[i]) || text::equalsIgnoringCase(value, langNames[i]))
            return i;
    return std::nullopt;
}

namespace {

ParseResult failure(std::string message) { return {std::nullopt, std::move(message)}; }

ParseResult parseBuild(const std::vector<std::string>& args) {
    Command command;
    command.kind = CommandKind::Build;
    BuildOptions& options = command.build;
    std::map<std::string, std::optional<std::string>*> textOptions = {
        {"--title", &options.title},         {"--author", &options.author},
        {"--publisher", &options.publisher}, {"--copyright", &options.copyright},
        {"--isbn", &options.isbn},           {"--genre", &options.genre}};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--epub2") options.epub3 = false;
        else if (arg == "--epub3") options.epub3 = true;
        else if (arg == "--kindle") options.kindle = true;
        else if (arg == "--open") options.open = true;
        else if (auto it = textOptions.find(arg); it != textOptions.end()) {
            if (!value(v)) return failure(arg + " needs a value");
            *it->second = v;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.output) || options.output.empty()) return failure(arg + " needs a file name");
        } else if (arg == "--date") {
            if (!value(v)) return failure("--date needs a value");
            options.date = parsePublicationDate(v);
            if (!options.date) return failure("--date wants YYYY-MM-DD, not \"" + v + "\"");
        } else if (arg == "--language") {
            if (!value(v)) return failure("--language needs a value");
            options.language = parseLanguageOption(v);
            if (!options.language) return failure("unknown language \"" + v + "\"");
        } else if (arg == "--report") {
            if (!value(v) || v != "json") return failure("--report takes the value json");
            options.jsonReport = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return failure("unknown option " + arg);
        } else if (options.manuscript.empty()) {
            options.manuscript = arg;
        } else {
            return failure("more than one manuscript given: " + arg);
        }
    }
    if (options.manuscript.empty()) return failure("build needs a MANUSCRIPT");
    if (options.kindle && options.epub3 == true)
        return failure("--kindle makes an EPUB 2 book; it cannot go with --epub3");
    return {command, {}};
}

}  // namespace

ParseResult parseArguments(const std::vector<std::string>& args) {
    if (args.empty()) return failure("no command given");
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") return {Command{CommandKind::Help, {}, {}}, {}};
    if (verb == "--version") return {Command{CommandKind::Version, {}, {}}, {}};
    if (verb == "build") return parseBuild(args);
    if (verb == "install-kindlegen") {
        if (args.size() != 2) return failure("install-kindlegen needs exactly one FILE");
        return {Command{CommandKind::InstallKindlegen, {}, args[1]}, {}};
    }
    return failure("unknown command " + verb);
}

}  // namespace quillary
