#include <gtest/gtest.h>

#include <cstdlib>

#include "support/environment.h"
#include "ui/application.h"
#include "ui/headless/headless_backend.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;
using testing_support::SetEnv;

TEST(HeadlessBoxes, WriteOneBlockPerBoxWithCarriageReturnsAsLineBreaks) {
    SetEnv("ATUALIZA_CONFIRM", nullptr);
    ui::Application app(ui::MakeHeadlessBackend());
    app.Title = "Atualizaterminalqor7";
    CaptureStdout();
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Information, "Arquivos atualizados:\r  Arquivo: QOR7.EXE\r"), ui::Answer::OK);
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Error, "Erro"), ui::Answer::OK);
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Confirmation, "Criar?"), ui::Answer::No);
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Plain, "versão"), ui::Answer::OK);
    EXPECT_EQ(GetCapturedStdout(),
              "--- information\nArquivos atualizados:\n  Arquivo: QOR7.EXE\n\n--- answer: OK\n"
              "--- error\nErro\n--- answer: OK\n"
              "--- confirmation\nCriar?\n--- answer: No\n"
              "--- plain\nversão\n--- answer: OK\n");
}

TEST(HeadlessBoxes, ConfirmationAnswersYesOnlyWhenAskedTo) {
    ui::Application app(ui::MakeHeadlessBackend());
    SetEnv("ATUALIZA_CONFIRM", "yes");
    CaptureStdout();
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Confirmation, "Criar?"), ui::Answer::Yes);
    EXPECT_EQ(GetCapturedStdout(), "--- confirmation\nCriar?\n--- answer: Yes\n");
    SetEnv("ATUALIZA_CONFIRM", "no");
    EXPECT_EQ(ui::HeadlessBoxBlock(ui::BoxKind::Confirmation, "x", ui::Answer::No), "--- confirmation\nx\n--- answer: No\n");
    CaptureStdout();
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Confirmation, "Criar?"), ui::Answer::No);
    GetCapturedStdout();
    SetEnv("ATUALIZA_CONFIRM", nullptr);
}

class EchoForm : public ui::TForm {
public:
    EchoForm() : ui::TForm("Frm") {
        status.Caption = "...";
        hidden.Caption = "oculto";
        hidden.Visible = false;
        Register(status);
        Register(hidden);
    }
    ui::TLabel status{"lbArquivo"};
    ui::TLabel hidden{"lErroM1"};
    void Add(ui::TLabel& label) { Register(label); }
};

TEST(HeadlessEcho, ShowsVisibleLabelsThenOneLinePerChangedCaption) {
    ui::Application app(ui::MakeHeadlessBackend());
    EchoForm form;
    form.OnShow = [&] { app.Terminate(); };
    app.CreateForm(form);
    CaptureStderr();
    app.Run();
    app.ProcessMessages();  // nothing changed
    form.status.Caption = "Apagando\rantigos";
    form.hidden.Caption = "Erro";
    app.ProcessMessages();
    form.hidden.Visible = true;
    app.ProcessMessages();
    EXPECT_EQ(GetCapturedStderr(), "Frm.lbArquivo: ...\nFrm.lbArquivo: Apagando antigos\nFrm.lErroM1: Erro\n");
}

// A byte counter changed on every block: its echoes keep to the readable rate, every file name
// still gets its line, and the counter's last value comes before the next name and at the end.
TEST(HeadlessEcho, CountersAreThinnedButTheirLastValueIsNeverLost) {
    ui::Application app(ui::MakeHeadlessBackend());
    EchoForm form;
    ui::TLabel counter{"LabBytesCopiados"};
    counter.FastChanging = true;
    form.Add(counter);
    form.OnShow = [&] { app.Terminate(); };
    app.CreateForm(form);
    CaptureStderr();
    app.Run();
    const double start = ui::SteadySeconds();
    int64_t blocks = 0;
    for (int file = 1; file <= 3; ++file) {
        form.status.Caption = "ARQUIVO" + std::to_string(file) + ".EXE";
        app.ProcessMessages();  // the run shows the name before it copies
        for (int block = 1; block <= 20000; ++block, ++blocks) {
            counter.Caption = std::to_string(file) + ":" + std::to_string(block);
            app.ProcessMessages();
        }
    }
    const double seconds = ui::SteadySeconds() - start;
    app.DestroyForm(form);
    const std::string echoed = GetCapturedStderr();
    size_t counterLines = 0;
    for (size_t at = echoed.find("Frm.LabBytesCopiados: "); at != std::string::npos;
         at = echoed.find("Frm.LabBytesCopiados: ", at + 1))
        ++counterLines;
    // Besides the first caption, each file may add its first and its last value at once; the rest
    // come at most once per interval.
    EXPECT_LE(counterLines, 1 + 2 * 3 + static_cast<size_t>(seconds / ui::kCounterEchoSeconds)) << blocks;
    for (int file = 1; file <= 3; ++file) {
        const std::string name = "Frm.lbArquivo: ARQUIVO" + std::to_string(file) + ".EXE\n";
        const std::string last = "Frm.LabBytesCopiados: " + std::to_string(file) + ":20000\n";
        ASSERT_NE(echoed.find(name), std::string::npos) << echoed;
        ASSERT_NE(echoed.find(last), std::string::npos) << echoed;
        if (file < 3) {
            EXPECT_LT(echoed.find(last), echoed.find("ARQUIVO" + std::to_string(file + 1)));
        }
    }
}

TEST(BackendChoice, HeadlessWhenAskedOrWithoutDisplay) {
    SetEnv("ATUALIZA_UI", "headless");
    EXPECT_EQ(ui::MakeBackend()->Name(), "headless");
#ifndef _WIN32  // Windows always has a desktop
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    SetEnv("ATUALIZA_UI", nullptr);
    SetEnv("DISPLAY", ":9999");  // no such display
    EXPECT_EQ(ui::MakeBackend()->Name(), "headless");
    if (display) SetEnv("DISPLAY", saved.c_str());
    else SetEnv("DISPLAY", nullptr);
    SetEnv("ATUALIZA_UI", "headless");
#endif
}

}  // namespace
