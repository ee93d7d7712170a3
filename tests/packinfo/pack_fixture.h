// What the package window tests share: a program folder in a real temporary folder, the real file
// system, a recording shell and a headless application.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/recording_shell.h"
#include "support/temp_dir.h"
#include "ui/application.h"

namespace packinfo_test {

// The program lies in the temporary folder; settings are read from there by the real reader.
class ProgramFolderSystem : public platform::System {
public:
    explicit ProgramFolderSystem(std::string folder)
        : folder_(std::move(folder)), native_(platform::makeNativePlatform().system) {}
    std::string executablePath() override { return folder_ + "AtualizaTerminalQOR7.exe"; }
    std::string currentDirectory() override { return folder_; }
    std::optional<platform::Rect> workArea() override { return std::nullopt; }
    std::string profileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue) override {
        return native_->profileString(file, section, key, defaultValue);
    }

private:
    std::string folder_;
    std::shared_ptr<platform::System> native_;
};

class PackTest : public ::testing::Test {
protected:
    PackTest() {
        machine = platform::makeNativePlatform();
        machine.shell = shell;
        machine.system = std::make_shared<ProgramFolderSystem>(program.folder());
    }
    testing_support::TempDir program;  // the program folder
    std::shared_ptr<testing_support::RecordingShell> shell = std::make_shared<testing_support::RecordingShell>();
    platform::Platform machine;
};

}  // namespace packinfo_test
