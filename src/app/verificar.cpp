#include "app/verificar.h"

#include "acervo/arquivo.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "app/trava_execucao.h"
#include "platform/text.h"
#include "process/fmx_utils.h"
#include "process/modules.h"
#include "settings/retorna_caminho.h"
#include "verificacao/verifica.h"

namespace app {

namespace {

constexpr int kUltimaPassada = 500;

std::string Cabecalho(const verificacao::Verificacao& v) {
    const std::string contra = v.publicacao ? "a publicação " + std::to_string(*v.publicacao)
                                            : std::string("o registro do que este terminal recebeu");
    return std::to_string(v.referencias.size()) + " arquivo(s) conferido(s) contra " + contra + ": " +
           std::to_string(v.divergencias.size()) + " diferente(s).\n";
}

// Ends the suite's modules as a run does; true when the server program was among them.
bool FechaModulos(platform::Processes& processos, RegistroExecucao& registro) {
    bool servidorAberto = false;
    for (int passada = 0; passada <= kUltimaPassada; ++passada) {
        uintptr_t naoUsado = 0;
        const std::string modulo = process::VerModuloAberto(processos, "", naoUsado, servidorAberto);
        if (platform::trimBlanks(modulo).empty()) break;
        registro.Escreve("encerrado para reparar: " + modulo);
        process::KillTask(processos, modulo);
    }
    return servidorAberto;
}

// Copies one file again from the server, when it still holds the version the reference names,
// and checks the installed file itself.
bool Repara(platform::FileSystem& files, const std::string& pastaServidor, const std::string& pastaPrograma,
            const verificacao::Referencia& r, std::string& motivo) {
    const std::string origem = pastaServidor + r.nome, destino = pastaPrograma + r.nome;
    if (files.stampOf(origem) != std::optional(r.servidor)) {
        motivo = "o servidor não tem mais esta versão (rode a atualização)";
        return false;
    }
    if (const auto atributos = files.attributes(destino); atributos && (*atributos & platform::attr::ReadOnly))
        files.setAttributes(destino, platform::attr::Archive);
    if (!files.copyFile(origem, destino, false)) {
        motivo = "a cópia falhou";
        return false;
    }
    if (verificacao::Confere(files, pastaPrograma, r)) {
        motivo = "copiado, mas o arquivo instalado ainda não confere";
        return false;
    }
    return true;
}

ResultadoVerificar Repara(const platform::Platform& plataforma, const std::string& pastaPrograma,
                          const verificacao::Verificacao& v, RegistroExecucao& registro) {
    std::string texto = Cabecalho(v);
    if (v.divergencias.empty()) return {texto + "Nada a reparar.\n", VerificarConfere};
    platform::Platform maquina = plataforma;
    const platform::LockResult trava = TravaPastaPrograma(maquina, pastaPrograma);
    if (trava.outcome == platform::LockOutcome::HeldByAnother)
        return {texto + "Outra execução está atualizando este terminal: nada foi reparado.\n", VerificarOutraExecucao};
    const std::string pastaServidor = settings::RetornaCaminho(plataforma, "EXE");
    const bool servidorAberto = FechaModulos(*plataforma.processes, registro);
    acervo::Acervo registroAcervo = acervo::Le(*plataforma.files, pastaPrograma);
    int naoReparados = 0;
    for (const verificacao::Divergencia& d : v.divergencias) {
        std::string motivo;
        if (Repara(*plataforma.files, pastaServidor, pastaPrograma, *d.referencia, motivo)) {
            texto += "reparado: " + platform::pathForDisplay(d.nome) + "\n";
            registro.Escreve("reparado: " + platform::pathForDisplay(d.nome));
            acervo::Entrada e;
            if (const acervo::Entrada* antes = registroAcervo.Procura(d.nome)) e = *antes;
            e.nome = d.nome;
            e.servidor = d.referencia->servidor;
            e.local = plataforma.files->stampOf(pastaPrograma + d.nome).value_or(e.local);
            e.sha256 = d.referencia->sha256;
            e.estado = acervo::Estado::Instalado;
            registroAcervo.Registra(std::move(e));
        } else {
            ++naoReparados;
            texto += "NÃO reparado: " + platform::pathForDisplay(d.nome) + " (" + motivo + ")\n";
            registro.Escreve("NÃO reparado: " + platform::pathForDisplay(d.nome) + " (" + motivo + ")");
        }
    }
    if (registroAcervo.Alterado()) acervo::Grava(*plataforma.files, pastaPrograma, registroAcervo);
    if (servidorAberto)
        process::ExecutaPrograma(*plataforma.shell, nullptr, std::string(process::ServidorQor), " ", pastaPrograma, platform::SW_SHOW);
    return {texto, naoReparados ? VerificarDifere : VerificarConfere};
}

}  // namespace

std::string DescricaoCodigosVerificar() {
    return "    0  todos os arquivos conferem (--reparar: todos foram reparados)\n"
           "    1  algum arquivo difere (--reparar: algum não pôde ser reparado)\n"
           "    2  nada contra o que conferir (nenhuma publicação nem registro neste terminal)\n"
           "    3  linha de comando inválida\n"
           "    8  --reparar: outra execução está atualizando este terminal; nada foi feito\n";
}

std::optional<ResultadoVerificar> ComandoVerificar(const std::vector<std::string>& argumentos,
                                                   const platform::Platform& plataforma) {
    bool verificar = false, reparar = false;
    for (size_t i = 1; i < argumentos.size(); ++i) {
        verificar = verificar || argumentos[i] == "--verificar";
        reparar = reparar || argumentos[i] == "--reparar";
    }
    if (!verificar && !reparar) return std::nullopt;
    if (argumentos.size() != 2) return ResultadoVerificar{"Uso: AtualizaTerminalQOR7 --verificar | --reparar\n", VerificarUsoInvalido};
    const std::string pastaPrograma = platform::folderPart(plataforma.system->executablePath());
    RegistroExecucao registro(plataforma.files, pastaPrograma);
    GuardaArgumentos(argumentos);
    RegistraInicio(registro);
    const verificacao::Verificacao v = verificacao::Verifica(*plataforma.files, pastaPrograma);
    if (v.semReferencia)
        return ResultadoVerificar{"Nada contra o que conferir: este terminal não tem manifesto de publicação nem registro de cópias.\n",
                                  VerificarSemReferencia};
    std::string linhas;
    for (const verificacao::Divergencia& d : v.divergencias) {
        linhas += verificacao::LinhaDe(d) + "\n";
        registro.Escreve("verificação: " + verificacao::LinhaDe(d));
    }
    if (!reparar) return ResultadoVerificar{Cabecalho(v) + linhas, v.divergencias.empty() ? VerificarConfere : VerificarDifere};
    try {
        ResultadoVerificar r = Repara(plataforma, pastaPrograma, v, registro);
        r.texto = linhas + r.texto;
        return r;
    } catch (const std::exception& erro) {
        return ResultadoVerificar{linhas + "Não foi possível reparar: " + std::string(erro.what()) + "\n", VerificarDifere};
    }
}

}  // namespace app
