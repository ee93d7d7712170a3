// What the settings tests share: a program folder in a real temporary folder, a System double that
// reads qor.ini from there through our INI reader, and a real file system for folder creation.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace settings_test {

// The executable lies in the temporary folder, so qor.ini is looked for there.
class ProgramFolderSystem : public platform::System {
public:
    explicit ProgramFolderSystem(std::string programFolder) : folder_(std::move(programFolder)) {}
    std::string executablePath() override { return folder_ + "AtualizaTerminalQOR7"; }
    std::string currentDirectory() override { return folder_; }
    std::optional<platform::Rect> workArea() override { return std::nullopt; }
    std::string profileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue) override;
    std::string lastFileRead;

private:
    std::string folder_;
};

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest();

    // Writes qor.ini: the lines after a "[QOR]" header.
    void writeIni(const std::string& lines) const { temp.write("qor.ini", "[QOR]\r\n" + lines); }
    std::string resolve(const std::string& code) const;
    // A folder inside the temporary folder, as a settings value: with its trailing separator.
    std::string folderSetting(const std::string& relative) const { return temp.folder() + relative + "/"; }
    bool exists(const std::string& relative) const;

    testing_support::TempDir temp;
    std::shared_ptr<ProgramFolderSystem> system;
    platform::Platform machine;
};

}  // namespace settings_test
