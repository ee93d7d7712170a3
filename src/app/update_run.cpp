// The update run: the click handler of the hidden SpeedButton1, clicked once by Timer1.
#include "app/atualiza_modulo.h"
#include "app/catalogue.h"
#include "app/exit_status.h"
#include "app/logged_platform.h"
#include "app/run_state.h"
#include "platform/text.h"
#include "process/cleanup.h"
#include "process/fmx_utils.h"
#include "process/modules.h"
#include "retorno/apaga_guardando.h"
#include "settings/retorna_caminho.h"

namespace app {

namespace {

constexpr int kUltimaPassada = 500;  // the closing phase makes at most 501 passes (0 to 500)
constexpr const char* kMarcador = "ATUALIZA.DAT";

const std::string kFavorVerificar = "\r\r               Favor Verificar !!!               ";
const std::string kAvisoServidor = "Houve Algum Problema Com o Programa SERVERQOR.EXE !!!" + kFavorVerificar;
const std::string kAvisoFrenteDeCaixa = "Houve Algum Problema Com o Programa HALDENMOR7.EXE !!!" + kFavorVerificar;
const std::string kAvisoPrincipal = "Houve Algum Problema Com o Programa QOR7.exe  !!!" + kFavorVerificar;
const std::string kAvisoPrincipalNaFalha = "Houve Algum Problema Com o Programa QOR7.EXE !!!" + kFavorVerificar;

// Whatever way the run leaves, the window may close again, the log tells the outcome and the
// application ends.
class FimDaExecucao {
public:
    FimDaExecucao(TFrmAtuModulo& form, ui::Application& application) : form_(form), app_(application) {
        form_.Atualizando = true;
    }
    ~FimDaExecucao() {
        form_.Atualizando = false;
        form_.ExecucaoConcluida = true;
        form_.RegistraFim();
        form_.GravaEstadoFinal();
        app_.Terminate();
    }
    FimDaExecucao(const FimDaExecucao&) = delete;
    FimDaExecucao& operator=(const FimDaExecucao&) = delete;

private:
    TFrmAtuModulo& form_;
    ui::Application& app_;
};

// One step of a path that must reach its launches whatever fails on the way: a step that
// raises is left behind and the next one runs.
template <class Passo>
void SemInterromper(Passo&& passo) noexcept {
    try {
        passo();
    } catch (...) {
    }
}

}  // namespace

void TFrmAtuModulo::SpeedButton1Click(ui::TComponent*) {
    Timer1.SetEnabled(false);
    RegistraInicio();
    FimDaExecucao fim(*this, Aplicacao);
    // A process list that breaks leaves the modules as they are; the copies then tell which file
    // could not be replaced, and the user's module still starts.
    SemInterromper([this] { FechaModulos(); });
    if (VoltarPedido) return VoltaUltimaAtualizacao();
    LinhaAtual = kNenhumaLinha;
    try {
        RegiaoProtegida();
    } catch (const std::exception& erro) {
        MotivoDaFalha = erro.what();
        Registro.Escreve("erro: " + platform::pathForDisplay(MotivoDaFalha));
        // The box names no line: the splash says what could not be read, behind it.
        if (const auto* catalogo = dynamic_cast<const CatalogoError*>(&erro)) {
            MostraMotivo(platform::pathForDisplay(MotivoDaFalha));
            ServidorInacessivel = catalogo->PastaInacessivel();
        }
        CaminhoDeFalha();
    } catch (...) {
        CaminhoDeFalha();
    }
}

void TFrmAtuModulo::FechaModulos() {
    Aplicacao.PaintPending();  // ending a module may take long
    bool parar = false;
    int passada = 0;
    for (; !parar; ++passada) {
        uintptr_t naoUsado = 0;
        const std::string modulo = VerModuloAberto("", naoUsado);
        if (modulo.empty()) parar = true;
        if (passada >= kUltimaPassada) parar = true;
        if (!platform::trimBlanks(modulo).empty()) KillTask(modulo);
    }
    Registro.Escreve("fechamento dos módulos: " + std::to_string(passada) + (passada == 1 ? " passada" : " passadas"));
}

void TFrmAtuModulo::RegiaoProtegida() {
    const std::string pastaServidor = settings::RetornaCaminho(Plataforma, "EXE");
    PastaServidor = pastaServidor;
    RegistraConfiguracao(pastaServidor);
    // A terminal that dies during the run shows on the share as started and never finished.
    ProcuraPastaFrota(pastaServidor);
    GravaEstadoNaFrota(frota::Situacao::EmAndamento);
    ListaAtualizados.clear();
    Copias.Limpa();
    // The catalogue first: with the share down the clean-up would leave the terminal without the
    // packages that it then could not copy back.
    CarregaListaDeTrabalho();
    Pastas = std::make_unique<Listagens>(*Plataforma.files);
    LeIdentidadeDoServidor(pastaServidor);
    lbArquivo.Caption = "Limpando Versões Antigas";
    Aplicacao.ProcessMessages();
    Aplicacao.PaintPending();  // the server folder is listed first
    try {
        // What it deletes must come back from the server program folder: not from this one.
        if (PublicacaoEmAndamento) Registro.Escreve("limpeza de versões antigas não feita: publicação em andamento no servidor");
        else if (process::ServidorPodeRepor(*Plataforma.files, pastaServidor, PastaPrograma())) ApagaAntigos(PastaPrograma());
        else Registro.Escreve("limpeza de versões antigas não feita: a pasta do servidor não as poderia repor");
    } catch (...) {
        // The clean-up reports the files it could not delete itself; the run goes on.
    }
    FaseCatalogo(pastaServidor);
    AnotaRetidos();
    NotaPublicacao();
    GravaAcervo();
    MostraRelatorio();
    ApagaMarcador();
    ReiniciaServidor();
    IniciaModuloPedido();
    // After the user's module: this run goes on with the program it started with.
    RenovaAtualizador();
}

void TFrmAtuModulo::IniciaModuloPedido() {
    if (ParamStr(1) == "F")
        IniciaModulo("HALDENMOR7.exe", kAvisoFrenteDeCaixa);
    else
        IniciaModulo("QOR7.exe", kAvisoPrincipal);
}

void TFrmAtuModulo::MostraMotivo(const std::string& texto) {
    lErroM1.Caption = texto;
    lErroM1.Visible = true;
    IErro.Visible = true;
    Aplicacao.ProcessMessages();
}

void TFrmAtuModulo::CaminhoDeFalha() noexcept {
    CodigoSaida |= SaidaCaminhoDeFalha;
    // What was copied before the error stays copied, and the record says so.
    SemInterromper([this] { GravaAcervo(); });
    SemInterromper([this] { ApagaMarcador(); });
    SemInterromper([this] {
        const std::string titulo = TituloDaLinha(Memo1.Line(LinhaAtual));
        const std::string mensagem = "Ocorreram erros na Atualização do Módulo : (" + titulo + ")";
        if (MotivoDaFalha.empty()) MotivoDaFalha = mensagem;
        // A server out of reach is an error like the share lost during the walk, and looks like one.
        Caixa(ServidorInacessivel ? ui::BoxKind::Error : ui::BoxKind::Plain,
              mensagem + "\r" + "Verifique se o mesmo não está aberto.");
    });
    // Every terminal that needs the server program stops while it is down, copies failed or not.
    SemInterromper([this] { ReiniciaServidor(); });
    // A module already started (its launch box raised on the normal path) is not started twice.
    SemInterromper([this] {
        if (!ModuloIniciado) IniciaModulo("QOR7.exe", kAvisoPrincipalNaFalha);
    });
}

void TFrmAtuModulo::FalhaSemTratamento() noexcept {
    if (ModuloIniciado) return;
    CaminhoDeFalha();
    GravaEstadoFinal();
}

void TFrmAtuModulo::ApagaMarcador() {
    if (Plataforma.files->fileExists(PastaPrograma() + kMarcador)) Plataforma.files->deleteFile(PastaPrograma() + kMarcador);
}

void TFrmAtuModulo::ReiniciaServidor() {
    if (!ServidorAberto || ServidorReiniciado) return;
    ServidorReiniciado = true;
    IniciaOuAvisa("SERVERQOR.EXE", kAvisoServidor);
}

void TFrmAtuModulo::IniciaModulo(const std::string& arquivo, const std::string& aviso) {
    ModuloIniciado = true;
    IniciaOuAvisa(arquivo, aviso);
}

void TFrmAtuModulo::IniciaOuAvisa(const std::string& arquivo, const std::string& aviso) {
    std::string resultado;
    Aplicacao.PaintPending();  // a program may take long to start
    try {
        // The shell's codes: more than 32 is a started program, anything else says why not.
        const uintptr_t codigo = ExecutaPrograma(arquivo);
        if (codigo > 32) {
            Registro.Escreve("iniciado: " + arquivo + " (resultado " + std::to_string(codigo) + ")");
            return;
        }
        resultado = "resultado " + std::to_string(codigo);
    } catch (const std::exception& erro) {
        resultado = erro.what();
    } catch (...) {
        resultado = "erro desconhecido";
    }
    Registro.Escreve("NÃO iniciado: " + arquivo + " (" + resultado + ")");
    CodigoSaida |= SaidaLancamentoFalhou;
    Caixa(ui::BoxKind::Error, aviso);
}

uintptr_t TFrmAtuModulo::ExecutaPrograma(const std::string& arquivo) {
    return process::ExecutaPrograma(*Plataforma.shell, Aplicacao.MainWindowHandle(), arquivo, " ", PastaPrograma(),
                                    platform::SW_SHOW);
}

std::string TFrmAtuModulo::PastaPrograma() const {
    return platform::folderPart(Plataforma.system->executablePath());
}

std::string TFrmAtuModulo::VerModuloAberto(std::string Aplicacao, uintptr_t& Handel) {
    return process::VerModuloAberto(*Plataforma.processes, Aplicacao, Handel, ServidorAberto);
}

int32_t TFrmAtuModulo::KillTask(const std::string& ExeFileName) {
    return process::KillTask(*Plataforma.processes, ExeFileName);
}

void TFrmAtuModulo::ApagaAntigos(const std::string& Caminho) {
    // What it deletes is kept first, for the copy that brings the file back.
    std::shared_ptr<platform::FileSystem> guardando = Plataforma.files;
    if (Anteriores) guardando = std::make_shared<retorno::ApagaGuardando>(Plataforma.files, *Anteriores, PastaPrograma());
    ArquivosRegistrados files(guardando, Registro);
    Mantidos = 0;
    process::ApagaAntigos(
        files, Caminho, [this](const std::string& texto) { Caixa(ui::BoxKind::Plain, platform::pathForDisplay(texto)); },
        [this](const std::string& caminho, const platform::DirEntry& entrada) {
            const bool mantem = MantemVersaoDoServidor(caminho, entrada);
            Mantidos += mantem ? 1 : 0;
            return mantem;
        });
    if (Mantidos > 0)
        Registro.Escreve("limpeza: " + std::to_string(Mantidos) +
                         " arquivo(s) mantido(s), já na versão do servidor (conferidos pelo conteúdo)");
}

bool TFrmAtuModulo::MantemVersaoDoServidor(const std::string& caminho, const platform::DirEntry& entrada) {
    return Pastas && app::MantemVersaoDoServidor(*Plataforma.files, *Pastas, Acervo, PastaServidor, PastaPrograma(), NomesCatalogo,
                                                 caminho, entrada);
}

void TFrmAtuModulo::ExcluirArq(const std::string& Caminho) {
    ArquivosRegistrados files(Plataforma.files, Registro);
    process::ExcluirArq(files, Caminho, [this](const std::string& texto) { Caixa(ui::BoxKind::Plain, platform::pathForDisplay(texto)); });
}

}  // namespace app
