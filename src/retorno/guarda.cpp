#include "retorno/guarda.h"

#include "platform/text.h"
#include "retorno/nomes.h"
#include "retorno/vinculos.h"

namespace retorno {

Guarda::Guarda(std::shared_ptr<platform::FileSystem> files, std::string pastaPrograma, Aviso aviso)
    : files_(std::move(files)), pasta_(std::move(pastaPrograma)), aviso_(std::move(aviso)) {}

void Guarda::Prepara(const std::string& nome) {
    const std::optional<std::string> normal = NomeNormal(nome);
    if (normal) Prepara(nome, *normal);
}

void Guarda::Prepara(const std::string& nome, const std::string& normal) {
    const std::string chave = acervo::Chave(normal);
    if (feitos_.count(chave)) {
        passos_[chave] = Passo::Repetido;
        return;
    }
    // Deleted by the clean-up: its second name already holds the version this copy replaces.
    if (apagados_.count(chave)) {
        passos_[chave] = Passo::Pendente;
        return;
    }
    const std::string arquivo = Caminho(nome), pendente = Caminho(NomePendente(normal));
    // A second name left by a run that was killed: whatever it holds, the file now replaces it.
    const bool limpo = RemoveNome(*files_, pendente, arquivo);
    if (!files_->fileExists(arquivo)) {
        passos_[chave] = Passo::Novo;
        return;
    }
    if (limpo && CriaPastas(*files_, pasta_, NomePendente(normal)) && files_->linkFile(arquivo, pendente)) {
        passos_[chave] = Passo::Pendente;
        return;
    }
    passos_[chave] = Passo::Falhou;
    aviso_("versão anterior NÃO guardada (a pasta não aceita um segundo nome para o arquivo): " +
           platform::pathForDisplay(nome));
}

Guardado Guarda::Conclui(const std::string& nome, bool substituido) {
    const std::optional<std::string> normal = NomeNormal(nome);
    if (!normal) return {};
    const std::string chave = acervo::Chave(*normal);
    const auto passo = passos_.find(chave);
    if (passo == passos_.end()) return {};
    const Passo feito = passo->second;
    passos_.erase(passo);
    switch (feito) {
        case Passo::Novo: return {acervo::Anterior::Nenhuma, {}};
        case Passo::Falhou: return {};
        case Passo::Repetido: return feitos_[chave];
        case Passo::Pendente: break;
    }
    apagados_.erase(chave);
    const std::string pendente = Caminho(NomePendente(*normal));
    if (!substituido) {
        RemoveNome(*files_, pendente, Caminho(nome));
        return {};
    }
    return feitos_[chave] = Guarda_(nome, *normal);
}

Guardado Guarda::Guarda_(const std::string& nome, const std::string& normal) {
    const std::string pendente = Caminho(NomePendente(normal)), guardado = Caminho(NomeGuardado(normal));
    LiberaParaSubstituir(*files_, guardado);
    if (CriaPastas(*files_, pasta_, NomeGuardado(normal)) && files_->replaceFile(pendente, guardado))
        if (const std::optional<platform::FileStamp> versao = files_->stampOf(guardado))
            return {acervo::Anterior::Guardada, *versao};
    RemoveNome(*files_, pendente, "");
    aviso_("versão anterior NÃO guardada (não foi possível pô-la em " + platform::pathForDisplay(guardado) +
           "): " + platform::pathForDisplay(nome));
    return {};
}

void Guarda::Apagado(const std::string& nome) {
    const std::optional<std::string> normal = NomeNormal(nome);
    if (!normal) return;
    const std::string chave = acervo::Chave(*normal);
    const auto passo = passos_.find(chave);
    if (passo == passos_.end() || passo->second != Passo::Pendente) return;
    passos_.erase(passo);
    apagados_[chave] = Caminho(NomePendente(*normal));
}

void Guarda::Encerra() {
    for (const auto& [chave, pendente] : apagados_) RemoveNome(*files_, pendente, "");
    apagados_.clear();
}

}  // namespace retorno
