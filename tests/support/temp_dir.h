// A real temporary folder for a test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the updater writes folders: with its trailing separator.
    std::string folder() const { return path_.string() + "/"; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes a file (creating its parent folders) and returns its full path.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
