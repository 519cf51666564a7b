#include "cli/Arguments.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "app/BookInformation.h"
#include "base/Text.h"
#include "book/Languages.h"

namespace quillary::cli {

const char* const kUsage =
    "Usage:\n"
    "  quillary build MANUSCRIPT [-o OUTPUT.epub] [--epub2|--epub3] [--kindle]\n"
    "                 [--title T] [--author A] [--publisher P] [--copyright C]\n"
    "                 [--isbn I] [--genre G] [--date YYYY-MM-DD] [--language TAG|INDEX]\n"
    "                 [--open] [--check] [--report json]\n"
    "  quillary check BOOK.epub\n"
    "  quillary install-kindlegen FILE\n"
    "  quillary --help | --version\n"
    "\n"
    "Builds an EPUB (and with --kindle a Kindle file) from an .rtf, .doc, .docx or .odt\n"
    "manuscript.\n"
    "Book information stored from an earlier build fills the fields; the flags replace it.\n"
    "Exit status: 0 when the EPUB was made, 1 when the build failed, 2 for usage errors.\n"
    "'quillary check' runs EPUBCheck on a book and lists its messages page by page;\n"
    "exit 0 when the book is valid, 1 when not, 2 when EPUBCheck is not installed.\n"
    "'quillary build --help' describes the build's options.\n";

const char* const kBuildHelp =
    "Usage: quillary build MANUSCRIPT [options]\n"
    "\n"
    "Builds an EPUB book from MANUSCRIPT, an .rtf, .doc, .docx or .odt file (all but\n"
    ".rtf through LibreOffice); images, media and the cover (cover.png or cover.jpg)\n"
    "are taken from the manuscript's folder.\n"
    "\n"
    "  -o, --output FILE    the book's file (default: the title, or the ISBN, with .epub\n"
    "                       in the manuscript's folder); its folder must exist\n"
    "  --epub2, --epub3     the EPUB version (default: EPUB 3)\n"
    "  --kindle             also make a Kindle file (.mobi); the book becomes EPUB 2\n"
    "  --title T, --author A, --publisher P, --copyright C, --isbn I, --genre G\n"
    "                       the book's information; each replaces what is stored\n"
    "  --date YYYY-MM-DD    the publication date (default: today)\n"
    "  --language TAG       a BCP 47 tag (en, en-GB, cs), an English name or an index 0-19\n"
    "  --open               open the results afterwards\n"
    "  --check              check the book with EPUBCheck afterwards\n"
    "  --report json        print the outcome as one JSON object on standard output\n"
    "  --                   what follows is the manuscript, even if it starts with -\n"
    "\n"
    "The book's information comes from the file an earlier build of a manuscript of\n"
    "the same name stored in the data folder, else from bookInfo.txt beside the\n"
    "manuscript, else the title is the name of the manuscript's folder.\n";

std::optional<std::string> parseLanguageOption(const std::string& value) {
    if (!value.empty() && std::all_of(value.begin(), value.end(),
                                      [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        if (value.size() > 2) return std::nullopt;
        const int index = std::stoi(value);
        if (index < kLanguageCount) return std::to_string(index);
        return std::nullopt;
    }
    for (int i = 0; i < kLanguageCount; ++i)
        if (text::equalsIgnoringCase(value, langNames[i])) return std::to_string(i);
    return storedLanguage(value);
}

namespace {

Failure<std::string> refused(std::string message) { return failure(std::move(message)); }

std::string unknownLanguage(const std::string& value) {
    std::string codes;
    for (int i = 0; i < kLanguageCount; ++i) codes += std::string(i ? ", " : "") + languages[i];
    return "unknown language \"" + value + "\"; give a language tag such as en, en-GB, cs or pt-BR, one of " +
           codes + " by its English name, or its index 0-" + std::to_string(kLanguageCount - 1);
}

std::string badDate(const std::string& value) {
    if (app::hasPublicationDateForm(value)) return "--date " + value + " is not a valid date";
    return "--date wants YYYY-MM-DD, not \"" + value + "\"";
}

Result<Command> parseBuild(const std::vector<std::string>& args) {
    Command command;
    command.kind = CommandKind::Build;
    BuildOptions& options = command.build;
    std::map<std::string, std::optional<std::string>*> textOptions = {
        {"--title", &options.title},         {"--author", &options.author},
        {"--publisher", &options.publisher}, {"--copyright", &options.copyright},
        {"--isbn", &options.isbn},           {"--genre", &options.genre}};
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!options.manuscript.empty()) return refused("more than one manuscript given: " + arg);
            options.manuscript = arg;
            continue;
        }
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--") optionsEnded = true;
        else if (arg == "--help" || arg == "-h") return Command{CommandKind::BuildHelp, {}, {}};
        else if (arg == "--epub2") options.epub3 = false;
        else if (arg == "--epub3") options.epub3 = true;
        else if (arg == "--kindle") options.kindle = true;
        else if (arg == "--open") options.open = true;
        else if (arg == "--check") options.check = true;
        else if (auto it = textOptions.find(arg); it != textOptions.end()) {
            if (!value(v)) return refused(arg + " needs a value");
            *it->second = v;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.output) || options.output.empty()) return refused(arg + " needs a file name");
        } else if (arg == "--date") {
            if (!value(v)) return refused("--date needs a value");
            options.date = app::parsePublicationDate(v);
            if (!options.date) return refused(badDate(v));
        } else if (arg == "--language") {
            if (!value(v)) return refused("--language needs a value");
            options.language = parseLanguageOption(v);
            if (!options.language) return refused(unknownLanguage(v));
        } else if (arg == "--report") {
            if (!value(v) || v != "json") return refused("--report takes the value json");
            options.jsonReport = true;
        } else {
            return refused("unknown option " + arg);
        }
    }
    if (options.manuscript.empty()) return refused("build needs a MANUSCRIPT");
    if (options.kindle && options.epub3 == true)
        return refused("--kindle makes an EPUB 2 book; it cannot go with --epub3");
    return command;
}

}  // namespace

Result<Command> parseArguments(const std::vector<std::string>& args) {
    if (args.empty()) return refused("no command given");
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") return Command{CommandKind::Help, {}, {}};
    if (verb == "--version") return Command{CommandKind::Version, {}, {}};
    if (verb == "build") return parseBuild(args);
    if (verb == "check") {
        if (args.size() != 2) return refused("check needs exactly one BOOK.epub");
        return Command{CommandKind::Check, {}, args[1]};
    }
    if (verb == "install-kindlegen") {
        if (args.size() != 2) return refused("install-kindlegen needs exactly one FILE");
        return Command{CommandKind::InstallKindlegen, {}, args[1]};
    }
    return refused("unknown command " + verb);
}

}  // namespace quillary::cli
