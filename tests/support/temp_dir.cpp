#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace testing_support {

namespace fs = std::filesystem;

namespace {

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// A new, empty folder: the name carries the process, a counter and the clock, and creating it
// fails when it exists, so two tests never share one.
fs::path createUniqueFolder() {
    static std::atomic<unsigned> counter{0};
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string name = "atualiza-" + std::to_string(processId()) + "-" + std::to_string(++counter) +
                                 "-" + std::to_string(tick % 1000000);
        std::error_code error;
        if (fs::create_directory(base / name, error)) return base / name;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

}  // namespace

fs::path pathFromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() : path_(createUniqueFolder()) {}

TempDir::~TempDir() {
    std::error_code ignored;
    // Read-only entries would block the removal: give write access back first.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempDir::folder() const {
#ifdef _WIN32
    return utf8Of(path_) + "\\";
#else
    return utf8Of(path_) + "/";
#endif
}

std::string TempDir::write(const std::string& relative, const std::string& content) const {
    const fs::path target = *this / relative;
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out << content;
    return utf8Of(target);
}

std::string TempDir::read(const std::string& relative) const {
    std::ifstream in(*this / relative, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace testing_support
