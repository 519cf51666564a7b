#include "app/ProblemReport.h"

namespace quillary::app {

std::string joinedList(const std::vector<std::string>& entries) {
    std::string joined;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) joined += ", ";
        joined += entries[i];
    }
    return joined;
}

namespace {

// The ones that stop media from showing come first.
constexpr ProblemKind kProblemKinds[] = {
    {"invalidMediaFilenames", "badFilenameTitle", "badFilenameMsg", &Problems::invalidMediaFilenames,
     &Problems::invalidMediaNames},
    {"missingFiles", "missingFilesTitle", "missingFilesMsg", nullptr, &Problems::missingFiles},
    {"picturesLeftOut", "picturesLeftOutTitle", "picturesLeftOutMsg", nullptr, &Problems::picturesLeftOut},
    {"unreadableFiles", "unreadableFilesTitle", "unreadableFilesMsg", nullptr, &Problems::unreadableFiles},
    {"noEnd", "noEndTitle", "noEndsMsg", &Problems::noEnd, nullptr, &Problems::unclosedNote},
    {"duplicateMarks", "dupeMarksTitle", "dupeMarksMsg", &Problems::duplicateMarks, nullptr,
     &Problems::duplicateMark},
    {"badLinks", "badLinksTitle", "badLinksMsg", nullptr, &Problems::badLinks},
    {"missingMarks", "missingMarksTitle", "missingMarksMsg", nullptr, &Problems::missingMarks},
    {"badFormatting", "negMarginsTitle", "negMarginsMsg", &Problems::badFormatting, nullptr,
     &Problems::negativeStyle},
    // Last: the book reads well for most, and the author may add the
    // descriptions once everything else is right.
    {"imagesWithoutAlternative", "noAltTextTitle", "noAltTextMsg", nullptr, &Problems::imagesWithoutAlternative},
};

}  // namespace

std::span<const ProblemKind> problemKinds() { return kProblemKinds; }

std::optional<ProblemAlert> firstProblem(const Problems& build) {
    // Only the first problem is reported: the author fixes one kind of
    // problem at a time.
    for (const ProblemKind& kind : kProblemKinds) {
        if (kind.flag && build.*kind.flag) {
            std::vector<std::string> arguments;
            if (kind.where) arguments.push_back(build.*kind.where);
            if (kind.list) arguments.push_back(joinedList(build.*kind.list));
            return ProblemAlert{kind.titleKey, kind.messageKey, std::move(arguments)};
        }
        if (kind.list && !(build.*kind.list).empty())
            return ProblemAlert{kind.titleKey, kind.messageKey, {joinedList(build.*kind.list)}};
    }
    return std::nullopt;
}

}  // namespace quillary::app
