#include "settings_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ini_reader.h"
#include "settings/retorna_caminho.h"

namespace settings_test {

std::string ProgramFolderSystem::profileString(const std::string& file, const std::string& section,
                                               const std::string& key,
                                               const std::string& defaultValue) {
    lastFileRead = file;
    std::ifstream in(testing_support::pathFromUtf8(file), std::ios::binary);
    if (!in) return defaultValue;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return platform::ReadProfileString(bytes.str(), section, key, defaultValue);
}

SettingsTest::SettingsTest()
    : system(std::make_shared<ProgramFolderSystem>(temp.folder())),
      machine(platform::makeNativePlatform()) {
    machine.system = system;
}

std::string SettingsTest::resolve(const std::string& code) const {
    return settings::RetornaCaminho(machine, code);
}

bool SettingsTest::exists(const std::string& relative) const {
    return std::filesystem::is_directory(temp / relative);
}

}  // namespace settings_test
