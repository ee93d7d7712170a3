#include "platform/posix/posix_system.h"

#include <fcntl.h>
#include <langinfo.h>
#include <limits.h>
#include <locale.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ini_reader.h"
#include "platform/posix/file_info.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_file.h"

namespace platform::posix {

namespace {

std::optional<std::string> readFileBytes(const std::string& nativePath) {
    struct stat st;
    Fd fd = openRegular(nativePath, st);
    if (!fd) return std::nullopt;
    std::string bytes;
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

std::string PosixSystem::executablePath() {
    std::string path(4096, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) return {};
    path.resize(static_cast<size_t>(length));
    return path;
}

std::string PosixSystem::currentDirectory() {
    char* current = ::getcwd(nullptr, 0);
    if (!current) return {};
    std::string folder = current;
    std::free(current);
    return folder.back() == '/' ? folder : folder + "/";
}

std::optional<Rect> PosixSystem::workArea() { return std::nullopt; }

std::string PosixSystem::profileString(const std::string& file, const std::string& section, const std::string& key,
                                       const std::string& defaultValue) {
    std::optional<std::string> bytes = readFileBytes(resolvePath(file));
    if (!bytes) return defaultValue;
    return ReadProfileString(*bytes, section, key, defaultValue);
}

std::string PosixSystem::thousandsSeparator() {
    // A locale object of our own: the process-wide locale stays "C" for every other conversion.
    locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) return System::thousandsSeparator();
    std::string separator = ::nl_langinfo_l(THOUSEP, user);
    ::freelocale(user);
    return separator;
}

std::optional<std::string> PosixSystem::machineName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
    return std::string(name);
}

std::optional<std::string> PosixSystem::userName() {
    struct passwd entry;
    struct passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_name)
        return std::nullopt;
    return std::string(found->pw_name);
}

}  // namespace platform::posix

namespace platform {

std::vector<std::string> commandLineArguments(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc && argv && argv[i]; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace platform
