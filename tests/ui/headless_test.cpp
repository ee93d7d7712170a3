#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/application.h"
#include "ui/headless/headless_backend.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

TEST(HeadlessBoxes, WriteOneBlockPerBoxWithCarriageReturnsAsLineBreaks) {
    unsetenv("ATUALIZA_CONFIRM");
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
    setenv("ATUALIZA_CONFIRM", "yes", 1);
    CaptureStdout();
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Confirmation, "Criar?"), ui::Answer::Yes);
    EXPECT_EQ(GetCapturedStdout(), "--- confirmation\nCriar?\n--- answer: Yes\n");
    setenv("ATUALIZA_CONFIRM", "no", 1);
    EXPECT_EQ(ui::HeadlessBoxBlock(ui::BoxKind::Confirmation, "x", ui::Answer::No), "--- confirmation\nx\n--- answer: No\n");
    CaptureStdout();
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Confirmation, "Criar?"), ui::Answer::No);
    GetCapturedStdout();
    unsetenv("ATUALIZA_CONFIRM");
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

TEST(BackendChoice, HeadlessWhenAskedOrWithoutDisplay) {
    setenv("ATUALIZA_UI", "headless", 1);
    EXPECT_EQ(ui::MakeBackend()->Name(), "headless");
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("ATUALIZA_UI");
    setenv("DISPLAY", ":9999", 1);  // no such display
    EXPECT_EQ(ui::MakeBackend()->Name(), "headless");
    if (display) setenv("DISPLAY", saved.c_str(), 1);
    else unsetenv("DISPLAY");
    setenv("ATUALIZA_UI", "headless", 1);
}

}  // namespace
