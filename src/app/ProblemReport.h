#pragma once
// The one problem alert a finished build shows: which problem, and how its
// list reads.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "book/Problems.h"

namespace quillary::app {

struct ProblemAlert {
    std::string titleKey;
    std::string messageKey;
    std::vector<std::string> messageArguments;  // the joined list, for list problems
};

// One kind of problem a build can find: a flag, or a list of where it was
// found; a flag problem may name what it concerns, or list it.
struct ProblemKind {
    const char* field;  // its name in Problems, as reports name it
    const char* titleKey;
    const char* messageKey;
    bool Problems::*flag = nullptr;
    std::vector<std::string> Problems::*list = nullptr;
    std::string Problems::*where = nullptr;
};

// Every kind, in the order the author is told about them.
std::span<const ProblemKind> problemKinds();

// "a.jpg, b.png, c.gif"; one entry stands alone; an empty list gives "".
std::string joinedList(const std::vector<std::string>& entries);

// The first of the problems, in the order the author is told about them;
// nullopt when the build found none.
std::optional<ProblemAlert> firstProblem(const Problems& problems);

}  // namespace quillary::app
