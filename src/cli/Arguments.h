#pragma once
// The command line's words, checked and sorted into options.

#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "platform/Window.h"

namespace quillary::cli {

struct BuildOptions {
    std::string manuscript;
    std::string output;  // -o; empty: the proposed name in the manuscript's folder
    std::optional<bool> epub3;
    bool kindle = false;
    bool open = false;  // open the results as the window's preferences would
    bool jsonReport = false;
    bool check = false;  // run EPUBCheck on the book afterwards
    std::optional<std::string> title, author, publisher, copyright, isbn, genre;
    std::optional<CivilDate> date;
    std::optional<std::string> language;  // as stored: an index of the quick list, or a tag
};

enum class CommandKind { Build, BuildHelp, Check, InstallKindlegen, Help, Version };

struct Command {
    CommandKind kind = CommandKind::Help;
    BuildOptions build;
    std::string file;  // install-kindlegen FILE, check BOOK
};

// The command, or why the arguments make none.
Result<Command> parseArguments(const std::vector<std::string>& arguments);

// A language given as an index of the quick list ("7"), the English name of
// one of its languages ("German"), or any well-formed BCP 47 tag ("de",
// "en-GB", "cs"), in its stored form ("7", "en-GB"); nullopt when none.
std::optional<std::string> parseLanguageOption(const std::string& value);

extern const char* const kUsage;
extern const char* const kBuildHelp;

}  // namespace quillary::cli
