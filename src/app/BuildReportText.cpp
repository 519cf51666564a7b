#include "app/BuildReportText.h"

#include "app/ProblemReport.h"
#include "base/Text.h"

namespace quillary::app {

namespace {

// The explanation without the list it ends with: the places stand under it,
// one a line, instead of in one long sentence.
std::string explanationOf(const Localizer& texts, const ProblemKind& kind, bool listed) {
    const std::string pattern = texts.text(kind.messageKey);
    if (!listed) return text::format(pattern, {""});
    // "...: %@. More" and "...: %@" both end the sentence where the list stood.
    return text::format(text::replacedAll(text::replacedAll(pattern, ": %@.", "."), ": %@", "."), {"…"});
}

std::vector<BuildReport::Group> groupsOf(const Problems& problems, const Localizer& texts) {
    std::vector<BuildReport::Group> groups;
    for (const ProblemKind& kind : problemKinds()) {
        BuildReport::Group group{kind.titleKey, texts.text(kind.titleKey), "", {}};
        if (kind.flag && problems.*kind.flag) {
            const std::string where = kind.where ? problems.*kind.where : "";
            group.explanation = text::format(texts.text(kind.messageKey), {where});
            if (!where.empty()) group.places.push_back(where);
        } else if (kind.list && !(problems.*kind.list).empty()) {
            group.explanation = explanationOf(texts, kind, true);
            group.places = problems.*kind.list;
        } else {
            continue;
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

}  // namespace

BuildReport describeBuild(const std::string& title, const BuildRequest& request, const BuildResult& result,
                          const Localizer& texts,
                          const std::optional<Alert>& failureAlert, const std::optional<Alert>& kindleAlert) {
    BuildReport report;
    if (!result.epub) {
        report.outcome = BuildReport::Outcome::NotMade;
        report.heading = failureAlert ? failureAlert->title : texts.text("MakeFailTitle");
        report.detail = failureAlert ? failureAlert->message : result.epub.reason().reason;
        return report;
    }
    report.bookPath = *result.epub;
    report.heading = text::format(texts.text("ResultsMadeTitle"), {title});
    report.detail = text::format(texts.text(request.epub3 ? "ResultsEpub3" : "ResultsEpub2"), {report.bookPath});
    if (result.kindle && *result.kindle) report.kindlePath = **result.kindle;
    if (result.kindle && !*result.kindle)
        report.kindleNote = kindleAlert ? kindleAlert->title + ": " + kindleAlert->message
                                        : texts.text("ResultsNoKindleConverter");
    report.groups = groupsOf(result.problems, texts);
    const bool problems = !report.groups.empty() || !report.kindleNote.empty();
    report.outcome = problems ? BuildReport::Outcome::MadeWithProblems : BuildReport::Outcome::Clean;
    return report;
}

}  // namespace quillary::app
