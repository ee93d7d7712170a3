#include "run_fixture.h"

#include <filesystem>

#include "app/run_state.h"

namespace app_test {

namespace fs = std::filesystem;

RunTest::RunTest() {
    serverFolder = dir.folder() + "rede/servidor/QOR7\\";
    terminalFolder = dir.folder() + "estacao/terminal/";
    fs::create_directories(dir / "rede/servidor/QOR7/TABDEF");
    fs::create_directories(dir / "estacao/terminal");
    platform::Platform native = platform::makeNativePlatform();
    processes = std::make_shared<testing_support::ScriptedProcesses>();
    shell = std::make_shared<testing_support::RecordingShell>();
    machine.files = native.files;
    machine.processes = processes;
    machine.shell = shell;
    machine.system = std::make_shared<TerminalSystem>(native.system, terminalFolder + "AtualizaTerminalQOR7.exe");
    makeForm = [](ui::Application& application, platform::Platform platform) {
        return std::make_unique<app::TFrmAtuModulo>(application, std::move(platform));
    };
    app::ListaAtualizados.clear();
    app::ArqOrigem.clear();
    app::ArqDestino.clear();
    app::ServidorAberto = false;
}

RunTest::~RunTest() {
    application.DestroyAllForms();
    app::GuardaArgumentos(0, nullptr);
    app::ServidorAberto = false;
}

void RunTest::WriteSettings() const {
    dir.write("estacao/terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() +
                                      "rede/servidor/QOR7/\r\nCaminho_Base_Dados=C:\\QOR7\\\r\n");
}

void RunTest::WriteCatalogue(const std::vector<std::string>& lines) const {
    // With a byte-order mark: without one Windows reads the ANSI code page.
    std::string text = "\xEF\xBB\xBF";
    for (const std::string& line : lines) text += line + "\r\n";
    dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT", text);
}

std::string RunTest::Server(const std::string& name, const std::string& content) const {
    return dir.write("rede/servidor/QOR7/" + name, content);
}

std::string RunTest::Terminal(const std::string& name, const std::string& content) const {
    return dir.write("estacao/terminal/" + name, content);
}

bool RunTest::TerminalHas(const std::string& name) const { return fs::is_regular_file(dir / ("estacao/terminal/" + name)); }

void RunTest::SetTime(const std::string& path, const platform::LocalDateTime& t) const {
    const std::optional<uint32_t> dos = platform::packDosDateTime(t);
    ASSERT_TRUE(dos);
    std::unique_ptr<platform::File> file = machine.files->openRead(path);
    ASSERT_TRUE(file) << path;
    ASSERT_TRUE(file->setLastWriteDos(*dos)) << path;
}

std::string RunTest::RunUpdate(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"AtualizaTerminalQOR7.exe"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    app::GuardaArgumentos(static_cast<int>(argv.size()), argv.data());
    form = makeForm(application, machine);
    app::FrmAtuModulo = form.get();
    application.CreateForm(*form);
    if (beforeRun) beforeRun(*form);
    ::testing::internal::CaptureStdout();
    form->SpeedButton1Click(&form->SpeedButton1);
    return ::testing::internal::GetCapturedStdout();
}

std::vector<std::string> RunTest::Launched() const {
    std::vector<std::string> files;
    for (const auto& call : shell->calls) files.push_back(call.file);
    return files;
}

std::string ModuleLine(const std::string& exe, const std::string& title) {
    return exe + std::string(26 - exe.size(), ' ') + title;
}

}  // namespace app_test
