// What the run log tells a supporter about the user's answers: the answer to a question, why the
// file then stayed old, and copy times that leave out the time a box waited for the user.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "run_fixture.h"
#include "ui/headless/headless_backend.h"

namespace {

// Boxes that take their time, as a person does.
class SlowBoxes : public ui::HeadlessBackend {
public:
    ui::Answer MessageBox(ui::BoxKind kind, const std::string& title, const std::string& text,
                          ui::BoxLayout layout) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        return HeadlessBackend::MessageBox(kind, title, text, layout);
    }
};

class LogAnswers : public app_test::RunTest {};

TEST_F(LogAnswers, TheAnswerWhyTheFileStayedOldAndTheCopysOwnTime) {
    ui::Application slow(std::make_unique<SlowBoxes>());
    makeForm = [&slow](ui::Application&, platform::Platform platform) {
        return std::make_unique<app::TFrmAtuModulo>(slow, std::move(platform));
    };
    WriteSettings();
    WriteCatalogue({app_test::ModuleLine("SUB\\NOVO.EXE", "Novo")});
    Server("SUB/NOVO.EXE", "novo");
    // Headless: the question to create SUB is answered "Não". The user declined: no warning box.
    EXPECT_EQ(RunUpdate().find("Arquivos NÃO Atualizados"), std::string::npos);
    EXPECT_EQ(Form().CodigoSaida, 2);  // a file stayed old
    const std::string log = TerminalText("AtualizaTerminalQOR7.log");
    EXPECT_NE(log.find("não existe. Deseja cria-lo agora?"), std::string::npos) << log;
    EXPECT_NE(log.find(" resposta: Não"), std::string::npos) << log;
    std::smatch copy;
    ASSERT_TRUE(std::regex_search(log, copy, std::regex("NÃO atualizado: NOVO.EXE, 4 bytes, ([0-9.]+) s")))
        << log;
    EXPECT_LT(std::stod(copy[1]), 1.0) << "the question's 1.2 s are not the copy's";
    EXPECT_NE(log.find("não foi criada: resposta Não à pergunta"), std::string::npos) << log;
    EXPECT_FALSE(TerminalHas("SUB/NOVO.EXE"));
}

}  // namespace
