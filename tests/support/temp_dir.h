// A real temporary folder for a test, removed with everything in it when the test ends.
// Names are UTF-8 text on every platform, as the updater's own paths are.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A path from UTF-8 text (std::filesystem would read a narrow string in the ANSI code page on
// Windows), and back.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8Of(const std::filesystem::path& path);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the updater writes folders: with its trailing separator ("\" on Windows).
    std::string folder() const;
    std::filesystem::path operator/(const std::string& name) const { return path_ / pathFromUtf8(name); }

    // Writes a file (creating its parent folders) and returns its full path.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
