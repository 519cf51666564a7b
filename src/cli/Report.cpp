#include "cli/Report.h"

#include <cstdio>

#include "build/VoveZedevir.h"

namespace quillary {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += ch;  // UTF-8 passes through: JSON is UTF-8 text
                }
        }
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

}  // namespace

std::string buildReportJson(const VoveZedevir& c, bool buildFailed) {
    // The alert that matters: the completion report's problem alert, or the
    // alert that ended a failed build (the last one shown).
    const Alert* alert = c.problemAlert ? &*c.problemAlert : nullptr;
    if (!alert && buildFailed && !c.alertsShown.empty()) alert = &c.alertsShown.back();
    std::string alerts = "[";
    for (std::size_t i = 0; i < c.alertsShown.size(); ++i)
        alerts += (i ? ", " : "") + alertJson(c.alertsShown[i]);
    alerts += "]";
    return "{\"epub\": " + pathOrNull(c.epubPath) + ", \"mobi\": " + pathOrNull(c.mobiPath) +
           ", \"alert\": " + (alert ? alertJson(*alert) : "null") + ", \"alerts\": " + alerts +
           ", \"problems\": {\"badFormatting\": " + flag(c.badFormatting) +
           ", \"noEnd\": " + flag(c.noEnd) +
           ", \"invalidMediaFilenames\": " + flag(c.invalidMediaFilenames) +
           ", \"duplicateMarks\": " + flag(c.duplicateMarks) +
           ", \"badLinks\": " + listJson(c.badLinks) +
           ", \"missingFiles\": " + listJson(c.missingFiles) +
           ", \"missingMarks\": " + listJson(c.missingMarks) + "}}\n";
}

}  // namespace quillary
