#pragma once
// The one problem alert a finished build shows: which problem, and how its
// list reads.

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillary {

class VoveZedevir;

struct ProblemAlert {
    std::string titleKey;
    std::string messageKey;
    std::vector<std::string> messageArguments;  // the joined list, for list problems
};

// One kind of problem a build can find: a flag, or a list of where it was
// found; a flag problem may name what it concerns.
struct ProblemKind {
    const char* field;  // the build state's name for it, as reports name it
    const char* titleKey;
    const char* messageKey;
    bool VoveZedevir::*flag = nullptr;
    std::vector<std::string> VoveZedevir::*list = nullptr;
    std::string VoveZedevir::*where = nullptr;
};

// Every kind, in the order the author is told about them.
std::span<const ProblemKind> problemKinds();

// "a.jpg, b.png, c.gif"; one entry stands alone; an empty list gives "".
std::string joinedList(const std::vector<std::string>& entries);

// The first problem of the build's flags, in the order the author is told
// about them; nullopt when the build found none.
std::optional<ProblemAlert> firstProblem(const VoveZedevir& build);

}  // namespace quillary
