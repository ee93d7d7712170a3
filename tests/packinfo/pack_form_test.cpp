// The package information window on the headless toolkit: its parts, its commands, its keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "pack_fixture.h"
#include "packinfo/pack_form.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

const char* const kCopiado = "--- plain\nArquivo copiado com sucesso.\n--- answer: OK\n";

class PackFormTest : public packinfo_test::PackTest {
protected:
    PackFormTest() { application.Title = "Atualizaterminalqor7"; }
    ui::Application application{ui::MakeHeadlessBackend()};
    testing_support::TempDir server;
    // Runs a command of the popup menu by its caption, as a click would; returns standard output.
    std::string Click(packinfo::TFrmPKG& form, const std::string& caption) {
        CaptureStdout();
        for (const ui::TMenuItem& item : form.PopupMenu1.Items)
            if (item.Caption == caption) item.OnClick();
        return GetCapturedStdout();
    }
    ui::TTreeNode* Select(packinfo::TFrmPKG& form, const std::string& path) {
        form.TreeView1.Selected = form.TreeView1.AddRoot(path);
        return form.TreeView1.Selected;
    }
};

TEST_F(PackFormTest, DesignedPartsOfTheWindow) {
    packinfo::TFrmPKG form(application, machine);
    EXPECT_EQ(form.Caption, "Informações dos Pacotes");
    EXPECT_EQ(form.ClientWidth, 512);
    EXPECT_EQ(form.ClientHeight, 388);
    EXPECT_EQ(form.StartPosition, ui::Position::ScreenCenter);
    EXPECT_EQ(form.Border, ui::BorderStyle::Sizeable);
    EXPECT_TRUE(form.KeyPreview);
    EXPECT_EQ(form.TreeView1.Align, ui::TAlign::alClient);
    EXPECT_EQ(form.TreeView1.PopupMenu, &form.PopupMenu1);
    EXPECT_EQ(form.TreeView1.Indent, 19);
    EXPECT_TRUE(form.TreeView1.Items.empty());
    ASSERT_EQ(form.Controls().size(), 1u);
    EXPECT_EQ(form.Controls()[0], &form.TreeView1);
    ASSERT_EQ(form.PopupMenu1.Items.size(), 3u);
    EXPECT_EQ(form.PopupMenu1.Items[0].Caption, "Ir na Pasta");
    EXPECT_EQ(form.PopupMenu1.Items[1].Caption, "Copiar para o Diretorio do (EXE)");
    EXPECT_EQ(form.PopupMenu1.Items[2].Caption, "Copiar para o Diretorio (BPL)");
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_EQ(form.Timer1.Interval, 500);
    EXPECT_EQ(form.PastaPrograma(), program.folder());

    form.ClientWidth = 700;  // the tree keeps filling the window
    form.ClientHeight = 300;
    form.AlignControls();
    EXPECT_EQ(form.TreeView1.Width, 700);
    EXPECT_EQ(form.TreeView1.Height, 300);
}

TEST_F(PackFormTest, ShowingArmsTheTimerOnlyWhenTheMarkerIsAFile) {
    packinfo::TFrmPKG withoutMarker(application, machine);
    withoutMarker.FormShow(&withoutMarker);
    EXPECT_FALSE(withoutMarker.Timer1.Enabled());

    fs::create_directory(program / "pular.txt");
    packinfo::TFrmPKG withFolder(application, machine);
    withFolder.FormShow(&withFolder);
    EXPECT_FALSE(withFolder.Timer1.Enabled()) << "a folder named pular.txt does not count";

    fs::remove(program / "pular.txt");
    program.write("pular.txt", "");
    packinfo::TFrmPKG withMarker(application, machine);
    withMarker.FormShow(&withMarker);
    EXPECT_TRUE(withMarker.Timer1.Enabled());
}

TEST_F(PackFormTest, WithNoNodeSelectedEveryCommandDoesNothing) {
    server.write("x.bpl", "x");
    fs::create_directory(program / "BPL");
    packinfo::TFrmPKG form(application, machine);
    form.TreeView1.AddRoot(server.folder() + "x.bpl");  // a node, but none selected
    for (const ui::TMenuItem& item : form.PopupMenu1.Items) EXPECT_EQ(Click(form, item.Caption), "") << item.Caption;
    EXPECT_TRUE(shell->calls.empty());
    EXPECT_FALSE(fs::exists(program / "x.bpl"));
    EXPECT_TRUE(fs::is_empty(program / "BPL"));
}

TEST_F(PackFormTest, CopyToTheProgramFolderCopiesEveryMatchAndShowsOneBox) {
    for (const char* name : {"a.bpl", "b.bpl", "c.bpl"}) server.write(name, name);
    packinfo::TFrmPKG form(application, machine);
    Select(form, server.folder() + "*.bpl");
    EXPECT_EQ(Click(form, "Copiar para o Diretorio do (EXE)"), kCopiado);
    for (const char* name : {"a.bpl", "b.bpl", "c.bpl"}) EXPECT_EQ(program.read(name), name);

    Select(form, server.folder() + "*.none");  // nothing matches: still "copied"
    EXPECT_EQ(Click(form, "Copiar para o Diretorio do (EXE)"), kCopiado);
}

// After a copy the program folder's node lists what the folder now holds, the selection stays,
// and the run log hears of every file copied.
TEST_F(PackFormTest, ACopyShowsInTheTreeAndInTheLog) {
    server.write("novo.bpl", "n");
    packinfo::TFrmPKG form(application, machine);
    std::vector<std::string> log;
    form.Registra = [&](const std::string& texto) { log.push_back(texto); };
    form.CarregaPacotes(server.folder());
    ASSERT_EQ(form.TreeView1.Items.size(), 4u);
    EXPECT_TRUE(form.TreeView1.Items[0]->Children.empty()) << "the program folder holds no package yet";
    const std::string serverMask = form.TreeView1.Items[2]->Text;
    form.TreeView1.Selected = form.TreeView1.Items[2].get();
    EXPECT_EQ(Click(form, "Copiar para o Diretorio do (EXE)"), kCopiado);
    ASSERT_EQ(form.TreeView1.Items.size(), 4u);
    ASSERT_EQ(form.TreeView1.Items[0]->Children.size(), 1u);
    EXPECT_EQ(form.TreeView1.Items[0]->Children[0]->Text, platform::pathForDisplay(program.folder() + "novo.bpl"));
    ASSERT_NE(form.TreeView1.Selected, nullptr);
    EXPECT_EQ(form.TreeView1.Selected->Text, serverMask);
    EXPECT_EQ(log, std::vector<std::string>{"pacotes: copiado " + platform::pathForDisplay(server.folder() + "novo.bpl") +
                                            " para " + platform::pathForDisplay(program.folder() + "novo.bpl")});
}

TEST_F(PackFormTest, CopyToTheBplFolderNeedsThatFolder) {
    server.write("vcl.bpl", "v");
    packinfo::TFrmPKG form(application, machine);
    Select(form, server.folder() + "vcl.bpl");
    EXPECT_EQ(Click(form, "Copiar para o Diretorio (BPL)"), "") << "no BPL folder: no box";
    EXPECT_FALSE(fs::exists(program / "BPL"));
    EXPECT_FALSE(fs::exists(program / "vcl.bpl"));

    fs::create_directory(program / "BPL");
    EXPECT_EQ(Click(form, "Copiar para o Diretorio (BPL)"), kCopiado);
    EXPECT_EQ(program.read("BPL/vcl.bpl"), "v");
}

TEST_F(PackFormTest, IrNaPastaOpensTheFolderPartOfTheSelectedNode) {
    packinfo::TFrmPKG form(application, machine);
    Select(form, "\\\\SRV\\QOR7\\*.bpl");
    std::vector<std::string> log;
    form.Registra = [&](const std::string& texto) { log.push_back(texto); };
    shell->result = 31;  // no program opens folders here (no xdg-open): the user is told
    const std::string told = "Não foi possível abrir a pasta:\n" + platform::pathForDisplay("\\\\SRV\\QOR7\\") +
                             "\n\nNenhum programa deste computador abre pastas.\n";
    EXPECT_EQ(Click(form, "Ir na Pasta"), "--- warning\n" + told + "--- answer: OK\n");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("Não foi possível abrir a pasta"), std::string::npos);
    ASSERT_EQ(shell->calls.size(), 1u);
    EXPECT_EQ(shell->calls[0].file, "explorer.exe");
    EXPECT_EQ(shell->calls[0].ownerWindow, application.Handle()) << "the application's window, not the form's";
#ifdef _WIN32
    EXPECT_EQ(shell->calls[0].parameters, " /e,/root,\"\\\\SRV\\QOR7\\\"");
#else
    EXPECT_EQ(shell->calls[0].parameters, "\"\\\\SRV\\QOR7\\\"");
#endif
}

TEST_F(PackFormTest, EscapeClosesAndDestroysTheWindowOnceOtherKeysDoNot) {
    packinfo::TFrmPKG form(application, machine);
    int destroyed = 0;
    form.OnDestroy = [&] { ++destroyed; };
    application.CreateForm(form);
    form.Timer1.SetEnabled(true);  // keeps the headless modal loop from closing it by itself
    form.Timer1.OnTimer = [&] {
        char key = 'a';
        application.KeyPress(form, key);
        EXPECT_TRUE(application.Alive(form)) << "only Escape closes";
        key = 27;
        application.KeyPress(form, key);
    };
    CaptureStdout();
    application.ShowModal(form);
    GetCapturedStdout();
    EXPECT_FALSE(application.Alive(form));
    application.DestroyForm(form);  // what design mode does next: no second destruction
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(application.MainForm(), nullptr);
}

TEST_F(PackFormTest, TreeHoldsTheOfferedPaths) {
    program.write("midas.dll", "");
    packinfo::TFrmPKG form(application, machine);
    form.CarregaPacotes("S:\\QOR7\\");
    ASSERT_EQ(form.TreeView1.Items.size(), 4u);
    EXPECT_EQ(form.TreeView1.Items[0]->Text, program.folder() + "*.bpl");
    EXPECT_TRUE(form.TreeView1.Items[0]->Children.empty());
    ASSERT_EQ(form.TreeView1.Items[1]->Children.size(), 1u);
    EXPECT_EQ(form.TreeView1.Items[1]->Children[0]->Text, program.folder() + "midas.dll");
    EXPECT_EQ(form.TreeView1.Items[3]->Text, platform::pathForDisplay("S:\\QOR7\\*.dll"));  // "/" on Linux
    EXPECT_EQ(form.TreeView1.Selected, nullptr);
}

}  // namespace
