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
