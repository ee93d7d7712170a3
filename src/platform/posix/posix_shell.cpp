#include "platform/posix/posix_shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/detached_spawn.h"
#include "platform/posix/paths.h"
#include "platform/text.h"

namespace platform::posix {

namespace {

constexpr intptr_t kFileNotFound = 2;
constexpr intptr_t kPathNotFound = 3;
constexpr intptr_t kNoAssociation = 31;

bool isFolder(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isExecutableFile(const struct stat& st) { return S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0; }

// The first PATH entry holding an executable `name`; empty when none does.
std::string searchPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = end > start ? folders.substr(start, end - start) : ".";
        std::string candidate = folder + "/" + name;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && isExecutableFile(st)) return candidate;
        start = end + 1;
    }
    return {};
}

intptr_t openWithDesktop(const std::string& target, const std::string& folder) {
    std::string opener = searchPath("xdg-open");
    if (opener.empty()) return kNoAssociation;
    intptr_t result = spawnDetached(opener, {opener, target}, isFolder(folder) ? folder : std::string());
    return result > 32 ? result : kNoAssociation;
}

bool isExplorer(const std::string& name) {
    return equalsIgnoringAsciiCase(name, "explorer.exe") || equalsIgnoringAsciiCase(name, "explorer");
}

// What "explorer.exe <folder>" shows: its parameter, unquoted and translated, else the working folder.
std::string explorerTarget(const std::string& parameters, const std::string& folder) {
    std::string target = trimBlanks(parameters);
    if (target.size() >= 2 && target.front() == '"' && target.back() == '"') target = target.substr(1, target.size() - 2);
    return target.empty() ? folder : resolvePath(target);
}

struct Located {
    std::string path;       // native, resolved; empty when not found
    intptr_t failure = 0;   // the shell code when not found
};

Located locate(const std::string& file, const std::string& folder) {
    std::string native = toNativeSeparators(file);
    if (native.find('/') == std::string::npos) {
        std::string inFolder = resolvePath(folder + "/" + native);
        if (::access(inFolder.c_str(), F_OK) == 0) return {inFolder};
        std::string onPath = searchPath(native);
        if (!onPath.empty()) return {onPath};
        return {{}, kFileNotFound};
    }
    std::string path = resolvePath(native.front() == '/' ? native : folder + "/" + native);
    if (::access(path.c_str(), F_OK) == 0) return {path};
    return {{}, isFolder(nativeFolderOf(path)) ? kFileNotFound : kPathNotFound};
}

std::string workingFolder(const std::string& directory) {
    if (!directory.empty()) return resolvePath(directory);
    char* current = ::getcwd(nullptr, 0);
    std::string folder = current ? current : ".";
    std::free(current);
    return folder;
}

bool knownVerb(const std::string& verb) {
    return verb.empty() || equalsIgnoringAsciiCase(verb, "open") || equalsIgnoringAsciiCase(verb, "explore");
}

}  // namespace

std::vector<std::string> splitParameters(const std::string& parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool inQuotes = false, started = false;
    for (char c : parameters) {
        if (c == '"') {
            inQuotes = !inQuotes;
            started = true;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (started) arguments.push_back(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) arguments.push_back(current);
    return arguments;
}

intptr_t PosixShell::execute(void*, const std::string& verb, const std::string& file, const std::string& parameters,
                             const std::string& directory, int) {
    if (!knownVerb(verb)) return kNoAssociation;
    std::string folder = workingFolder(directory);
    if (!isFolder(folder)) return kPathNotFound;
    if (trimBlanks(file).empty()) return kFileNotFound;

    Located target = locate(file, folder);
    if (target.path.empty()) {
        if (isExplorer(file)) return openWithDesktop(explorerTarget(parameters, folder), folder);
        return target.failure;
    }
    struct stat st;
    if (::stat(target.path.c_str(), &st) != 0) return kFileNotFound;
    if (!isExecutableFile(st)) return openWithDesktop(target.path, folder);

    std::vector<std::string> arguments{target.path};
    for (std::string& argument : splitParameters(parameters)) arguments.push_back(std::move(argument));
    return spawnDetached(target.path, arguments, folder);
}

}  // namespace platform::posix
