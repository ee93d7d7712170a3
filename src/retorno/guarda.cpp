#include "retorno/guarda.h"

#include "platform/text.h"
#include "retorno/diario.h"
#include "retorno/nomes.h"
#include "retorno/vinculos.h"

namespace retorno {

Guarda::Guarda(std::shared_ptr<platform::FileSystem> files, std::string pastaPrograma, uint64_t execucao, Aviso aviso)
    : files_(std::move(files)), pasta_(std::move(pastaPrograma)), execucao_(execucao), aviso_(std::move(aviso)) {}

void Guarda::Prepara(const std::string& nome) {
    const std::optional<std::string> normal = NomeNormal(nome);
    if (normal) Prepara(nome, *normal, std::nullopt);
}

void Guarda::Prepara(const std::string& nome, const platform::FileStamp& servidor, const acervo::Entrada* reparo) {
    const std::optional<std::string> normal = NomeNormal(nome);
    if (!normal) return;
    if (reparo && !feitos_.count(acervo::Chave(*normal))) return Adianta(nome, *normal, servidor, *reparo);
    Prepara(nome, *normal, servidor);
}

bool Guarda::Anota(const std::string& nome, const std::optional<platform::FileStamp>& servidor,
                   const std::optional<platform::FileStamp>& anterior) {
    return retorno::Anota(*files_, pasta_, {execucao_, nome, servidor, anterior});
}

void Guarda::Prepara(const std::string& nome, const std::string& normal, const std::optional<platform::FileStamp>& servidor) {
    const std::string chave = acervo::Chave(normal);
    if (feitos_.count(chave)) {
        passos_[chave] = Passo::Repetido;
        return;
    }
    const std::string arquivo = Caminho(nome), pendente = Caminho(NomePendente(normal));
    // Deleted by the clean-up: its second name already holds the version this copy replaces.
    if (apagados_.count(chave)) {
        passos_[chave] = Passo::Pendente;
        Anota(nome, servidor, files_->stampOf(pendente));
        return;
    }
    // A second name left by a run that was killed: whatever it holds, the file now replaces it.
    const bool limpo = RemoveNome(*files_, pendente, arquivo);
    const std::optional<platform::FileStamp> antes = files_->stampOf(arquivo);
    if (!antes) {
        passos_[chave] = Passo::Novo;
        Anota(nome, servidor, std::nullopt);
        return;
    }
    // The journal first: a run that stops before its record is written is known by it.
    if (!Anota(nome, servidor, antes)) {
        passos_[chave] = Passo::Falhou;
        aviso_("versão anterior NÃO guardada (o diário das alterações não pôde ser escrito): " + platform::pathForDisplay(nome));
        return;
    }
    if (limpo && CriaPastas(*files_, pasta_, NomePendente(normal)) && files_->linkFile(arquivo, pendente)) {
        passos_[chave] = Passo::Pendente;
        if (const std::optional<uint32_t> atributos = files_->attributes(arquivo)) atributos_[chave] = *atributos;
        return;
    }
    passos_[chave] = Passo::Falhou;
    aviso_("versão anterior NÃO guardada (a pasta não aceita um segundo nome para o arquivo): " +
           platform::pathForDisplay(nome));
}

// A repair of the same update: the version that update replaced stays the kept one, and the
// flawed copy being replaced is not kept at all.
void Guarda::Adianta(const std::string& nome, const std::string& normal, const platform::FileStamp& servidor,
                     const acervo::Entrada& reparo) {
    const std::string chave = acervo::Chave(normal);
    Guardado levado{reparo.anterior, reparo.versaoAnterior};
    if (levado.anterior == acervo::Anterior::Guardada && files_->stampOf(Caminho(NomeGuardado(normal))) != levado.versao)
        levado = {};
    // Later than the version the server finished: a part of the same publish, never whole there.
    if (levado.anterior == acervo::Anterior::Guardada && levado.versao.lastWrite > servidor.lastWrite) {
        levado = {};
        aviso_("versão anterior NÃO guardada (a guardada é de uma publicação que não estava terminada): " +
               platform::pathForDisplay(nome));
    }
    if (apagados_.erase(chave)) RemoveNome(*files_, Caminho(NomePendente(normal)), "");
    const std::optional<platform::FileStamp> anterior =
        levado.anterior == acervo::Anterior::Guardada ? std::optional(levado.versao)
        : levado.anterior == acervo::Anterior::Nenhuma ? std::nullopt
                                                       : files_->stampOf(Caminho(nome));
    Anota(nome, servidor, anterior);
    passos_[chave] = Passo::Adiante;
    adiante_[chave] = levado;
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
        case Passo::Adiante: {
            const Guardado levado = adiante_[chave];
            adiante_.erase(chave);
            return substituido ? feitos_[chave] = levado : Guardado{};
        }
        case Passo::Pendente: break;
    }
    const bool apagado = apagados_.erase(chave) > 0;
    const std::string arquivo = Caminho(nome), pendente = Caminho(NomePendente(*normal));
    if (!substituido) {
        // Deleted by the clean-up and not brought back: its own bytes are at hand.
        if (apagado && !files_->fileExists(arquivo) && files_->moveFile(pendente, arquivo))
            aviso_("devolvido ao terminal (a cópia que o traria de volta falhou): " + platform::pathForDisplay(nome));
        else
            RemoveNome(*files_, pendente, arquivo);
        return {};
    }
    return feitos_[chave] = Guarda_(nome, *normal);
}

Guardado Guarda::Guarda_(const std::string& nome, const std::string& normal) {
    const std::string pendente = Caminho(NomePendente(normal)), guardado = Caminho(NomeGuardado(normal));
    LiberaParaSubstituir(*files_, guardado);
    if (CriaPastas(*files_, pasta_, NomeGuardado(normal)) && files_->replaceFile(pendente, guardado)) {
        const auto atributos = atributos_.find(acervo::Chave(normal));
        if (atributos != atributos_.end() && files_->attributes(guardado) != atributos->second)
            files_->setAttributes(guardado, atributos->second);
        if (const std::optional<platform::FileStamp> versao = files_->stampOf(guardado))
            return {acervo::Anterior::Guardada, *versao};
    }
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
