#include "retorno/volta.h"

#include <algorithm>

#include "acervo/digest.h"
#include "retorno/nomes.h"
#include "retorno/vinculos.h"

namespace retorno {

namespace {

struct Caminhos {
    std::string arquivo, guardado, pendente;
};

ArquivoDaVolta NaoVoltou(const acervo::Entrada& e, std::string motivo) {
    return {e.nome, Desfecho::NaoVoltou, std::move(motivo), std::nullopt};
}

// The kept version moved over the file, the file's own version kept under its second name. False
// (and everything as it was) when the kept version could not take the file's place.
bool Troca(platform::FileSystem& files, const std::string& pasta, const std::string& normal, const Caminhos& c) {
    if (!RemoveNome(files, c.pendente, c.arquivo) || !CriaPastas(files, pasta, NomePendente(normal)) ||
        !files.linkFile(c.arquivo, c.pendente))
        return false;
    const std::optional<uint32_t> atributos = LiberaParaSubstituir(files, c.arquivo);
    if (files.replaceFile(c.guardado, c.arquivo)) return true;
    if (atributos) files.setAttributes(c.arquivo, *atributos);
    RemoveNome(files, c.pendente, c.arquivo);
    return false;
}

// The step back of one file of the last run, from wherever an earlier step back left it.
ArquivoDaVolta VoltaArquivo(platform::FileSystem& files, const std::string& pasta, acervo::Entrada& e) {
    if (e.anterior == acervo::Anterior::Nenhuma) return {e.nome, Desfecho::Novo, {}, std::nullopt};
    if (e.anterior == acervo::Anterior::NaoGuardada)
        return NaoVoltou(e, "a versão anterior não pôde ser guardada quando o arquivo foi atualizado");
    const std::optional<std::string> normal = NomeNormal(e.nome);
    if (!normal) return NaoVoltou(e, "nome inválido");
    const Caminhos c{pasta + e.nome, pasta + NomeGuardado(*normal), pasta + NomePendente(*normal)};
    const auto arquivo = files.stampOf(c.arquivo), guardado = files.stampOf(c.guardado);
    if (arquivo == e.versaoAnterior) {
        // Back already: a step back stopped after its first move makes the second one now.
        if (!guardado && files.stampOf(c.pendente) == e.local) files.replaceFile(c.pendente, c.guardado);
    } else {
        if (!arquivo) return NaoVoltou(e, "o arquivo não está mais neste terminal");
        if (arquivo != e.local) return NaoVoltou(e, "o arquivo foi trocado depois da atualização");
        if (guardado != e.versaoAnterior) return NaoVoltou(e, "a versão anterior guardada sumiu ou foi alterada");
        if (!Troca(files, pasta, *normal, c))
            return NaoVoltou(e, "o arquivo não pôde ser substituído (em uso ou protegido)");
        if (!files.replaceFile(c.pendente, c.guardado)) RemoveNome(files, c.pendente, "");
    }
    // The version taken back stays away until the server holds another one.
    const std::optional<platform::FileStamp> agora = files.stampOf(c.arquivo), tirada = files.stampOf(c.guardado);
    e.estado = acervo::Estado::Retido;
    e.local = agora.value_or(e.versaoAnterior);
    e.anterior = tirada ? acervo::Anterior::Guardada : acervo::Anterior::NaoGuardada;
    e.versaoAnterior = tirada.value_or(platform::FileStamp{});
    e.conteudo = acervo::DigestOfFile(files, c.arquivo);
    return {e.nome, Desfecho::Voltou, {}, files.lastWriteDos(c.arquivo)};
}

}  // namespace

size_t Volta::Quantos(Desfecho desfecho) const {
    return static_cast<size_t>(
        std::count_if(arquivos.begin(), arquivos.end(), [&](const ArquivoDaVolta& a) { return a.desfecho == desfecho; }));
}

Volta VoltaUltimaAtualizacao(platform::FileSystem& files, const std::string& pastaPrograma, acervo::Acervo& acervo) {
    std::vector<acervo::Entrada> daUltima;
    for (const acervo::Entrada& e : acervo.Entradas())
        if (acervo.UltimaExecucao() > 0 && e.execucao == acervo.UltimaExecucao()) daUltima.push_back(e);
    Volta volta;
    if (daUltima.empty()) return volta;
    const auto retida = [](const acervo::Entrada& e) { return e.estado == acervo::Estado::Retido; };
    // Files new to the terminal have nothing to go back to: they never tell a step back already made.
    const auto aVoltar = [&](const acervo::Entrada& e) { return !retida(e) && e.anterior != acervo::Anterior::Nenhuma; };
    const bool desfeita = std::any_of(daUltima.begin(), daUltima.end(), retida) &&
                          std::none_of(daUltima.begin(), daUltima.end(), aVoltar);
    volta.situacao = desfeita ? Situacao::JaDesfeita : Situacao::Feita;
    for (acervo::Entrada& e : daUltima) {
        if (retida(e)) continue;
        volta.arquivos.push_back(VoltaArquivo(files, pastaPrograma, e));
        if (volta.arquivos.back().desfecho == Desfecho::Voltou) acervo.Registra(e);
    }
    return volta;
}

}  // namespace retorno
