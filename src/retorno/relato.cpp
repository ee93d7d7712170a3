#include "retorno/relato.h"

#include <algorithm>
#include <cstdio>

#include "platform/dos_time.h"
#include "platform/text.h"

namespace retorno {

namespace {

constexpr const char* kNadaGuardado = "Não há versão anterior guardada neste terminal: nada foi alterado.";
constexpr const char* kJaDesfeita = "A última atualização deste terminal já foi desfeita: nada foi alterado.";
constexpr const char* kSoNovos =
    "A última atualização só trouxe arquivos novos, sem versão anterior a restaurar: nada foi alterado.";
constexpr const char* kFica =
    "Estas versões ficam no terminal até o servidor ter uma versão diferente da que foi desfeita.";

std::string Hora(const std::optional<uint32_t>& dos) {
    if (!dos) return "data desconhecida";
    const platform::LocalDateTime t = platform::unpackDosDateTime(*dos);
    char texto[32];
    std::snprintf(texto, sizeof texto, "%02d/%02d/%04d %02d:%02d", t.day, t.month, t.year, t.hour, t.minute);
    return texto;
}

std::string Nome(const ArquivoDaVolta& a) { return platform::pathForDisplay(a.nome); }

std::string Linhas(const Volta& volta, Desfecho desfecho) {
    std::string linhas;
    for (const ArquivoDaVolta& a : volta.arquivos) {
        if (a.desfecho != desfecho) continue;
        // Padded as the update's report pads its names, so that the box shows one column.
        std::string arquivo = "  Arquivo: " + Nome(a);
        arquivo.append(30 - std::min<size_t>(30, platform::utf8Length(arquivo)), ' ');
        linhas += arquivo + " -  " + (desfecho == Desfecho::Voltou ? "versão de " + Hora(a.hora) : a.motivo) + "\r";
    }
    return linhas;
}

}  // namespace

std::string TextoDaVolta(const Volta& volta) {
    if (volta.situacao == Situacao::NadaGuardado) return kNadaGuardado;
    if (volta.situacao == Situacao::JaDesfeita) return kJaDesfeita;
    const size_t voltaram = volta.Quantos(Desfecho::Voltou), naoVoltaram = volta.Quantos(Desfecho::NaoVoltou);
    if (voltaram + naoVoltaram == 0) return kSoNovos;
    std::string texto;
    if (voltaram > 0) texto = "Voltaram à versão anterior (a última atualização foi desfeita) :\r\r" + Linhas(volta, Desfecho::Voltou);
    if (naoVoltaram > 0)
        texto += std::string(texto.empty() ? "" : "\r") + "NÃO voltaram (avise o suporte) :\r\r" + Linhas(volta, Desfecho::NaoVoltou);
    if (volta.Quantos(Desfecho::Novo) > 0) {
        texto += "\rNovos na última atualização, sem versão anterior (ficam como estão) :\r\r";
        for (const ArquivoDaVolta& a : volta.arquivos)
            if (a.desfecho == Desfecho::Novo) texto += "  Arquivo: " + Nome(a) + "\r";
    }
    return voltaram > 0 ? texto + "\r" + kFica : texto;
}

std::vector<std::string> LinhasDaVolta(const Volta& volta) {
    std::vector<std::string> linhas;
    for (const ArquivoDaVolta& a : volta.arquivos) {
        switch (a.desfecho) {
            case Desfecho::Voltou: linhas.push_back("voltou à versão anterior: " + Nome(a) + " (versão de " + Hora(a.hora) + ")"); break;
            case Desfecho::Novo: linhas.push_back("novo na última atualização, fica: " + Nome(a)); break;
            case Desfecho::NaoVoltou: linhas.push_back("NÃO voltou: " + Nome(a) + " (" + a.motivo + ")"); break;
        }
    }
    return linhas;
}

std::vector<std::string> ArquivosRetidos(
    const acervo::Acervo& acervo, const std::function<std::optional<platform::FileStamp>(const std::string&)>& noServidor) {
    std::vector<std::string> nomes;
    for (const acervo::Entrada& e : acervo.Entradas())
        if (e.estado == acervo::Estado::Retido && noServidor(e.nome) == e.servidor) nomes.push_back(e.nome);
    return nomes;
}

std::string SecaoRetidos(const std::vector<std::string>& nomes) {
    if (nomes.empty()) return {};
    std::string texto = "Mantidos na versão anterior (a atualização foi desfeita) :\r\r";
    for (const std::string& nome : nomes) texto += "  Arquivo: " + platform::pathForDisplay(nome) + "\r";
    return texto;
}

}  // namespace retorno
