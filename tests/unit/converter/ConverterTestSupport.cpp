#include "ConverterTestSupport.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace conv::testing {

namespace {

std::vector<std::string> linesBetween(const std::string& html, std::string_view first, std::string_view last) {
    std::vector<std::string> lines;
    std::size_t start = html.find(first);
    if (start == std::string::npos) return lines;
    start = html.find('\n', start) + 1;
    std::size_t end = html.find(last, start);
    if (end == std::string::npos) return lines;
    while (start < end) {
        std::size_t next = html.find('\n', start);
        lines.push_back(html.substr(start, next - start));
        start = next + 1;
    }
    return lines;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
        result.append(text, start, at - start);
        result += to;
        start = at + from.size();
    }
    result.append(text, start);
    text = std::move(result);
}

}  // namespace

std::vector<std::string> bodyLines(const std::string& html) { return linesBetween(html, "<body>", "</body>"); }

std::vector<std::string> styleLines(const std::string& html) { return linesBetween(html, "<style", "</style>"); }

std::string onlyLine(const std::string& rtf) {
    std::vector<std::string> lines = bodyLines(rtfToHtml(rtf));
    return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " lines)";
}

std::string visibleText(const std::string& html) {
    std::string body;
    std::size_t start = html.find("<body>");
    std::size_t end = html.find("</body>");
    std::string_view rest = start == std::string::npos ? std::string_view(html) : std::string_view(html).substr(start);
    if (start != std::string::npos && end != std::string::npos) rest = rest.substr(0, end - start);
    bool inTag = false;
    for (char c : rest) {
        if (c == '<') inTag = true;
        else if (c == '>' && inTag) inTag = false;
        else if (!inTag) body += c;
    }
    // Hyperlink targets, then notes, while "<" is still an entity.
    for (std::size_t at = body.find("HYPERLINK \""); at != std::string::npos; at = body.find("HYPERLINK \"", at)) {
        std::size_t close = body.find('"', at + 11);
        if (close == std::string::npos) break;
        if (close + 1 < body.size() && body[close + 1] == ' ') ++close;
        body.erase(at, close + 1 - at);
    }
    for (std::size_t at = body.find("&lt;&lt;"); at != std::string::npos; at = body.find("&lt;&lt;", at)) {
        std::size_t close = body.find("&gt;&gt;", at);
        if (close == std::string::npos) break;
        body.erase(at, close + 8 - at);
    }
    replaceAll(body, "&lt;", "<");
    replaceAll(body, "&gt;", ">");
    replaceAll(body, "&amp;", "&");
    return body;
}

std::string ruleOf(const std::string& html, std::string_view selector) {
    for (const std::string& line : styleLines(html)) {
        if (line.starts_with(std::string(selector) + " {") && line.ends_with("}"))
            return line.substr(selector.size() + 2, line.size() - selector.size() - 3);
    }
    return "(no rule " + std::string(selector) + ")";
}

std::string setting(const std::string& name) {
    std::string value = quillary::testing::suiteSetting(name);
    if (!value.empty()) return value;
    std::string source = __FILE__;
    std::string root = source.substr(0, source.rfind("/tests/unit/converter/"));
    if (name == "QUILLARY_FIXTURES") return root + "/tests/fixtures";
    if (name == "QUILLARY_CORPUS") return root + "/../shared/corpus";
    if (name == "QUILLARY_TEXTUTIL") {
        // The test programs sit beside it in the build tree's bin/ folder.
        char self[4096];
        ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        if (length <= 0) return {};
        std::string folder(self, static_cast<std::size_t>(length));
        return folder.substr(0, folder.rfind('/')) + "/quillary-textutil";
    }
    return {};
}

ProgramResult runTextutil(const std::vector<std::string>& arguments, const char* path) {
    ProgramResult result;
    std::string program = setting("QUILLARY_TEXTUTIL");
    if (program.empty()) {
        result.output = "QUILLARY_TEXTUTIL is not set";
        return result;
    }
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return result;
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (path && std::string_view(*entry).starts_with("PATH=")) continue;
        environment.emplace_back(*entry);
    }
    if (path) environment.push_back(std::string("PATH=") + path);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t child = 0;
    int failed = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    char buffer[65536];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, got);
    close(pipeEnds[0]);
    if (failed != 0) return result;
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace conv::testing
