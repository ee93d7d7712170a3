// A file manager on a real temporary folder, through the fault layer, with every event recorded
// as one line of text ("start", "progress <bytes> <percent>", "error <n>", "end <n>").
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fileops/fx_file_manager.h"
#include "platform/platform.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace fx_testing {

namespace fs = std::filesystem;

// What must survive a failed copy unchanged: content, time, permissions and attributes.
struct FileState {
    std::string content;
    fs::file_time_type time;
    fs::perms permissions;
    uint32_t attributes = 0;
    bool operator==(const FileState&) const = default;
};

class FileManagerTest : public ::testing::Test {
protected:
    FileManagerTest() {
        fm.OnStart = [this](fileops::TFxFileManager&) { events.push_back("start"); };
        fm.OnProgress = [this](fileops::TFxFileManager& sender) {
            events.push_back("progress " + std::to_string(sender.BytesProc()) + " " + std::to_string(sender.Progress()));
        };
        fm.OnError = [this](fileops::TFxFileManager&, fileops::TFxFileError e) {
            events.push_back("error " + std::to_string(static_cast<int>(e)));
        };
        fm.OnEnd = [this](fileops::TFxFileManager&, fileops::TFxFileStatus s) {
            events.push_back("end " + std::to_string(static_cast<int>(s)));
        };
    }

    std::string Path(const std::string& relative) const { return dir.folder() + relative; }
    std::string Write(const std::string& relative, const std::string& content) const { return dir.write(relative, content); }
    std::string Read(const std::string& relative) const { return dir.read(relative); }
    bool Exists(const std::string& relative) const { return fs::exists(dir / relative); }

    bool Run(const std::string& source, const std::string& destination) {
        fm.SetSource(Path(source));
        fm.SetDestination(destination.empty() ? std::string() : Path(destination));
        return fm.Execute();
    }

    FileState State(const std::string& relative) const {
        return {Read(relative), fs::last_write_time(dir / relative), fs::status(dir / relative).permissions(),
                native->attributes(Path(relative)).value_or(0)};
    }
    void SetAge(const std::string& relative, int days) const {
        fs::last_write_time(dir / relative, fs::file_time_type::clock::now() - std::chrono::hours(24 * days));
    }
    // Through the platform: the read-only attribute on Windows, no write permission on POSIX.
    void MakeReadOnly(const std::string& relative) const {
        const std::string path = Path(relative);
        ASSERT_TRUE(native->setAttributes(path, native->attributes(path).value_or(0) | platform::attr::ReadOnly));
    }
    // POSIX hides a name that starts with a dot; Windows keeps it in the attributes.
    void MakeHidden(const std::string& relative) const {
        const std::string path = Path(relative);
        ASSERT_TRUE(native->setAttributes(path, native->attributes(path).value_or(0) | platform::attr::Hidden));
        ASSERT_TRUE(native->attributes(path).value_or(0) & platform::attr::Hidden);
    }
    // A copy's temporary files are "~<name>.<tag>.tmp" beside the destination.
    static std::vector<std::string> TemporaryFiles(const fs::path& folder) {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("~") && name.ends_with(".tmp")) found.push_back(name);
        }
        return found;
    }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> native = platform::makeNativePlatform().files;
    std::shared_ptr<testing_support::FaultyFileSystem> faulty =
        std::make_shared<testing_support::FaultyFileSystem>(native);
    fileops::TFxFileManager fm{faulty};
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

}  // namespace fx_testing
