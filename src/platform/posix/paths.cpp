#include "platform/posix/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

#include "platform/text.h"

namespace platform::posix {

namespace {

bool existsAsWritten(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The first entry of `folder` equal to `name` ignoring case; empty when there is none.
std::string findIgnoringCase(const std::string& folder, const std::string& name) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return {};
    while (dirent* entry = ::readdir(dir.get()))
        if (equalsIgnoringAsciiCase(entry->d_name, name)) return entry->d_name;
    return {};
}

std::vector<std::string> splitComponents(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string toNativeSeparators(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string resolvePath(std::string_view path) {
    std::string native = toNativeSeparators(path);
    // The common case costs one lstat: the path exists exactly as written.
    if (native.empty() || existsAsWritten(native)) return native;

    bool absolute = native.front() == '/';
    bool trailingSlash = native.back() == '/';
    std::string resolved = absolute ? "/" : "";
    bool folderExists = true;  // once a component is missing, nothing below it can be found
    for (const std::string& part : splitComponents(native)) {
        std::string candidate = resolved + part;
        if (folderExists && part != "." && part != ".." && !existsAsWritten(candidate)) {
            std::string match = findIgnoringCase(resolved, part);
            if (match.empty())
                folderExists = false;
            else
                candidate = resolved + match;
        }
        resolved = candidate + "/";
    }
    if (!trailingSlash && resolved.size() > 1) resolved.pop_back();
    return resolved;
}

std::string nativeFolderOf(const std::string& nativePath) {
    size_t slash = nativePath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return nativePath.substr(0, slash);
}

std::string nativeNameOf(const std::string& nativePath) {
    size_t slash = nativePath.find_last_of('/');
    return slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
}

}  // namespace platform::posix
