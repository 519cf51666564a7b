#include "platform/Paths.h"

#include <cstdlib>

namespace quillary::paths {

namespace {
std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}
}  // namespace

std::string lastComponent(const std::string& path) {
    const std::string p = withoutTrailingSlashes(path);
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string deletingLastComponent(const std::string& path) {
    const std::string p = withoutTrailingSlashes(path);
    const auto slash = p.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

std::string extension(const std::string& path) {
    const std::string name = lastComponent(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

std::string deletingExtension(const std::string& path) {
    const std::string ext = extension(path);
    if (ext.empty()) {
        const std::string name = lastComponent(path);
        // "name." keeps nothing after the dot, but the dot itself goes.
        if (!name.empty() && name.back() == '.' && name.size() > 1)
            return withoutTrailingSlashes(path).substr(0, withoutTrailingSlashes(path).size() - 1);
        return withoutTrailingSlashes(path);
    }
    const std::string p = withoutTrailingSlashes(path);
    return p.substr(0, p.size() - ext.size() - 1);
}

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string expandTilde(const std::string& path) {
    if (path.empty() || path[0] != '~') return path;
    if (path.size() > 1 && path[1] != '/') return path;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + path.substr(1);
}

}  // namespace quillary::paths
