#include "cli/Report.h"

#include <cstdio>

#include "app/ProblemReport.h"
#include "base/Utf8.h"

namespace quillary::cli {

using app::ProblemKind;

namespace {

void appendEscaped(std::string& out, unsigned char c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
    out += buffer;
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            // JSON must be UTF-8, but a file name is any bytes. A byte that
            // begins no UTF-8 character is taken as the Latin-1 character of
            // that value, the usual encoding of such names: "Caf\xE9.rtf"
            // reads "Caf\u00e9.rtf", so the path stays recognisable where a
            // replacement character would blot the letter out.
            const std::size_t length = utf8::decodeAt(text, i).length;
            if (length == 0) appendEscaped(out, c);
            else out.append(text, i, length);
            i += length == 0 ? 1 : length;
            continue;
        }
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) appendEscaped(out, c);
                else out += ch;
        }
        ++i;
    }
    return out + "\"";
}

namespace {

std::string pathOrNull(const std::string& path) { return path.empty() ? "null" : jsonString(path); }

std::string alertJson(const Alert& alert) {
    return "{\"key\": " + jsonString(alert.titleKey) + ", \"title\": " + jsonString(alert.title) +
           ", \"message\": " + jsonString(alert.message) + "}";
}

std::string listJson(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + jsonString(items[i]);
    return out + "]";
}

std::string flag(bool value) { return value ? "true" : "false"; }

// Every kind of problem by its field name: a flag as a boolean, a list as it stands.
std::string problemsJson(const Problems& c) {
    std::string out = "{";
    for (const ProblemKind& kind : app::problemKinds()) {
        if (out.size() > 1) out += ", ";
        out += jsonString(kind.field) + ": " + (kind.flag ? flag(c.*kind.flag) : listJson(c.*kind.list));
    }
    return out + ", \"noCover\": " + flag(c.noCover) + "}";
}

}  // namespace

std::vector<std::string> problemLines(const Problems& c, const Localizer& texts) {
    std::vector<std::string> lines;
    for (const ProblemKind& kind : app::problemKinds()) {
        const std::string what = texts.text(kind.titleKey);
        const bool listed = kind.list && !(c.*kind.list).empty();
        if (kind.flag && c.*kind.flag && !listed)
            lines.push_back(kind.where && !(c.*kind.where).empty() ? what + ": " + c.*kind.where : what);
        if (kind.list)
            for (const std::string& where : c.*kind.list) lines.push_back(what + ": " + where);
    }
    return lines;
}

std::set<std::string> problemTitleKeys() {
    std::set<std::string> keys;
    for (const ProblemKind& kind : app::problemKinds()) keys.insert(kind.titleKey);
    return keys;
}

std::string bookCheckJson(const epub::BookCheck& check) {
    static const char* const outcomes[] = {"valid", "invalid", "not installed", "failed"};
    std::string messages;
    for (const epub::PageFindings& page : check.pages) {
        for (const epub::CheckMessage& message : page.messages) {
            messages += std::string(messages.empty() ? "" : ", ") + "{\"severity\": " + jsonString(message.severity) +
                        ", \"code\": " + jsonString(message.code) + ", \"page\": " + jsonString(page.page) +
                        ", \"firstWords\": " + jsonString(page.firstWords) +
                        ", \"line\": " + (message.line > 0 ? std::to_string(message.line) : "null") +
                        ", \"message\": " + jsonString(message.text) + "}";
        }
    }
    return "{\"outcome\": " + jsonString(outcomes[static_cast<int>(check.verdict)]) +
           ", \"errors\": " + std::to_string(check.errors) + ", \"warnings\": " + std::to_string(check.warnings) +
           ", \"messages\": [" + messages + "]}";
}

std::string buildReportJson(const BuildResult& result, const std::optional<Alert>& problemAlert,
                            const std::vector<Alert>& alertsShown, const std::optional<epub::BookCheck>& validation) {
    // The alert that matters: the completion report's problem alert, or the
    // alert that ended a failed build (the last one shown).
    const Alert* alert = problemAlert ? &*problemAlert : nullptr;
    if (!alert && !result.epub && !alertsShown.empty()) alert = &alertsShown.back();
    std::string alerts = "[";
    for (std::size_t i = 0; i < alertsShown.size(); ++i) alerts += (i ? ", " : "") + alertJson(alertsShown[i]);
    alerts += "]";
    const std::string kindle = result.kindle && *result.kindle ? **result.kindle : "";
    return "{\"epub\": " + pathOrNull(result.epub.value_or("")) + ", \"mobi\": " + pathOrNull(kindle) +
           ", \"alert\": " + (alert ? alertJson(*alert) : "null") + ", \"alerts\": " + alerts +
           ", \"problems\": " + problemsJson(result.problems) +
           (validation ? ", \"validation\": " + bookCheckJson(*validation) : "") + "}\n";
}

std::string refusalReportJson(const std::string& reason) {
    const std::string report = buildReportJson(BuildResult{}, std::nullopt, {}, std::nullopt);
    return "{\"refused\": " + jsonString(reason) + ", " + report.substr(1);
}

}  // namespace quillary::cli
