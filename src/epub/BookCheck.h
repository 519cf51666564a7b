#pragma once
// EPUBCheck's verdict on a finished book, sorted for the author: its messages
// grouped by the page they concern, each page with its first words, so that
// the place can be found in the manuscript.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/Localizer.h"
#include "platform/Shell.h"

namespace quillary::epub {

// EPUBCheck starts a Java machine and reads every page; a long illustrated
// book takes a minute on a slow machine. Five minutes is far past that, yet
// ends a check that hangs before the author gives up waiting.
inline constexpr std::chrono::minutes kEpubCheckTimeLimit{5};

struct CheckMessage {
    std::string severity;  // "FATAL", "ERROR", "WARNING", "INFO" or "USAGE"
    std::string code;      // such as "RSC-007"
    std::string page;      // the archive entry, such as "OEBPS/section2.xhtml"; "" for the book
    int line = -1;         // in the page; -1 when not given
    std::string text;
};

struct PageFindings {
    std::string page;        // "" for messages about the book as a whole
    std::string firstWords;  // the page's first words; "" when it has none
    std::vector<CheckMessage> messages;
};

struct BookCheck {
    enum class Verdict { Valid, Invalid, NotInstalled, Failed };
    Verdict verdict = Verdict::NotInstalled;
    std::vector<PageFindings> pages;  // in the order EPUBCheck first named them
    int errors = 0;                   // fatal errors included
    int warnings = 0;
    std::string failure;  // what EPUBCheck said when it could not check (Failed)
};

// The command line that runs EPUBCheck, without the book; "" when it is not
// installed. `override` is $QUILLARY_EPUBCHECK when set: a .jar to run with
// Java or a program; empty, or naming nothing, means not installed. Unset:
// Debian's jar with Java, else an `epubcheck` program on PATH.
std::string epubCheckCommand(const std::optional<std::string>& override);

// Runs EPUBCheck (`command`, from epubCheckCommand) on the book through the
// shell with kEpubCheckTimeLimit, and reads the first words of every page
// it names from the book. Blocks; any thread.
BookCheck checkBook(Shell& shell, const std::string& command, const std::string& epubPath);

// EPUBCheck's messages from its output, for the book it was given as
// `epubPath`, grouped by page (first words not yet filled).
std::vector<PageFindings> parseEpubCheckOutput(const std::string& output, const std::string& epubPath);

// The first `count` words of a page's body text, with "…" when more follow.
std::string firstWordsOfPage(const std::string& xhtml, std::size_t count = 8);

// For a person: a summary line, then each page with its first words and its
// messages. `bookName` names the book in the summary.
std::string describeBookCheck(const BookCheck& check, const std::string& bookName, const Localizer& texts);

}  // namespace quillary::epub
