#include "feedback/resultado_copias.h"

#include <algorithm>

#include "feedback/relatorio.h"
#include "platform/text.h"

namespace feedback {

void RegistroCopias::Comeca(const std::string& origem, const std::string& nome, int64_t tamanho) {
    copias_.push_back({origem, nome, tamanho, {}, false, false, 0, {}});
}

void RegistroCopias::Origem(const std::string& nome, int64_t tamanho) {
    if (copias_.empty()) return;
    copias_.back().nome = nome;
    copias_.back().tamanho = tamanho;
}

void RegistroCopias::Erro(const std::string& texto) {
    if (!copias_.empty() && copias_.back().erro.empty()) copias_.back().erro = texto;
}

void RegistroCopias::Alternativa(bool copiou) {
    if (copias_.empty()) return;
    copias_.back().alternativa = true;
    copias_.back().atualizado = copiou;
}

void RegistroCopias::Recusada(const std::string& motivo) {
    Nota(motivo);
    if (!copias_.empty()) copias_.back().recusada = true;
}

void RegistroCopias::Nota(const std::string& texto) {
    if (!copias_.empty()) copias_.back().nota = texto;
}

void RegistroCopias::Termina(bool copiou, double segundos) {
    if (copias_.empty()) return;
    ResultadoCopia& copia = copias_.back();
    if (copia.erro.empty()) copia.atualizado = copiou;
    copia.segundos = segundos;
}

void RegistroCopias::Inacabada(const std::string& motivo) {
    if (copias_.empty()) return;
    if (copias_.back().erro.empty()) copias_.back().erro = motivo;
    copias_.back().atualizado = false;
}

bool RegistroCopias::AlgumNaoAtualizado() const {
    return std::any_of(copias_.begin(), copias_.end(), [](const ResultadoCopia& c) { return !c.atualizado; });
}

std::string LinhasDeModulos(const std::vector<ResultadoCopia>& copias, bool atualizados, const std::string& separator) {
    std::string linhas;
    for (const ResultadoCopia& copia : copias)
        if (copia.atualizado == atualizados && !(copia.recusada && !atualizados) && EhModuloExecutavel(copia.nome))
            linhas += LinhaRelatorio(copia.nome, copia.tamanho, separator);
    return linhas;
}

std::string TextoRelatorio(const std::string& atualizados, const std::string& naoAtualizados) {
    std::string texto;
    if (!platform::trimBlanks(atualizados).empty()) texto = "Arquivos Atualizados :\r\r" + atualizados;
    if (!naoAtualizados.empty()) texto += (texto.empty() ? "" : "\r") + std::string(kCabecalhoNaoAtualizados) + "\r\r" + naoAtualizados;
    return texto;
}

}  // namespace feedback
