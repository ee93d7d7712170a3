// A terminal and a server installation in real temporary folders, and the splash window running
// its update run on them in this process: headless boxes on standard output, a scripted process
// table and a shell that records every launch.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/atualiza_modulo.h"
#include "platform/dos_time.h"
#include "platform/platform.h"
#include "support/recording_shell.h"
#include "support/scripted_processes.h"
#include "support/temp_dir.h"
#include "ui/application.h"

namespace app_test {

// The machine's own system, except that the running program lies in the terminal's folder.
class TerminalSystem : public platform::System {
public:
    TerminalSystem(std::shared_ptr<platform::System> inner, std::string executable)
        : inner_(std::move(inner)), executable_(std::move(executable)) {}
    std::string executablePath() override { return executable_; }
    std::string currentDirectory() override { return inner_->currentDirectory(); }
    std::optional<platform::Rect> workArea() override { return std::nullopt; }
    std::string profileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue) override {
        return inner_->profileString(file, section, key, defaultValue);
    }
    std::string thousandsSeparator() override { return "."; }
    std::string decodeAnsi(std::string_view bytes) override { return inner_->decodeAnsi(bytes); }
    std::optional<std::string> machineName() override { return inner_->machineName(); }
    std::optional<std::string> userName() override { return inner_->userName(); }

private:
    std::shared_ptr<platform::System> inner_;
    std::string executable_;
};

class RunTest : public ::testing::Test {
protected:
    RunTest();
    ~RunTest() override;

    // qor.ini in the terminal's program folder, in server mode, pointing at the server folder.
    void WriteSettings() const;
    void WriteCatalogue(const std::vector<std::string>& lines) const;
    std::string Server(const std::string& name, const std::string& content = "servidor") const;
    std::string Terminal(const std::string& name, const std::string& content = "terminal") const;
    bool TerminalHas(const std::string& name) const;
    std::string TerminalText(const std::string& name) const { return dir.read("estacao/terminal/" + name); }
    // Gives a file the DOS time t (local time).
    void SetTime(const std::string& path, const platform::LocalDateTime& t) const;

    // Creates the splash window and runs the update run in place of the timer's click;
    // returns what the headless boxes wrote on standard output.
    std::string RunUpdate(const std::vector<std::string>& arguments = {});
    app::TFrmAtuModulo& Form() { return *form; }
    // The files that the recorded launches named, in order.
    std::vector<std::string> Launched() const;

    testing_support::TempDir dir;
    std::string serverFolder;    // the server program folder as qor.ini leads to it
    std::string terminalFolder;  // the terminal's program folder
    platform::Platform machine;
    std::shared_ptr<testing_support::ScriptedProcesses> processes;
    std::shared_ptr<testing_support::RecordingShell> shell;
    ui::Application application{ui::MakeHeadlessBackend()};
    std::unique_ptr<app::TFrmAtuModulo> form;
    // Runs right after the window exists, before the run (to hook its handlers).
    std::function<void(app::TFrmAtuModulo&)> beforeRun;
    // Makes the window: tests may put a derived class here.
    std::function<std::unique_ptr<app::TFrmAtuModulo>(ui::Application&, platform::Platform)> makeForm;
};

// "QOR7.EXE" padded to column 26 and the title from column 27.
std::string ModuleLine(const std::string& exe, const std::string& title);

}  // namespace app_test
