#include "acervo/acervo.h"

#include <chrono>

#include "platform/text.h"

namespace acervo {

std::string Chave(std::string_view nome) {
    std::string chave = platform::upperAscii(nome);
    for (char& c : chave)
        if (c == '/') c = '\\';
    return chave;
}

const Entrada* Acervo::Vigente(std::string_view nome, const std::optional<platform::FileStamp>& local) {
    const auto it = entradas_.find(Chave(nome));
    if (it == entradas_.end()) return nullptr;
    if (local && *local == it->second.local) return &it->second;
    entradas_.erase(it);
    alterado_ = true;
    return nullptr;
}

const Entrada* Acervo::Procura(std::string_view nome) const {
    const auto it = entradas_.find(Chave(nome));
    return it == entradas_.end() ? nullptr : &it->second;
}

void Acervo::Registra(Entrada entrada) {
    std::string chave = Chave(entrada.nome);
    const auto it = entradas_.find(chave);
    LembraExecucao(entrada.execucao);
    if (it != entradas_.end() && it->second == entrada) return;
    entradas_.insert_or_assign(std::move(chave), std::move(entrada));
    alterado_ = true;
}

void Acervo::LembraExecucao(uint64_t execucao) {
    if (execucao <= ultimaExecucao_) return;
    ultimaExecucao_ = execucao;
    alterado_ = true;
}

void Acervo::Esquece(std::string_view nome) { alterado_ = entradas_.erase(Chave(nome)) > 0 || alterado_; }

std::vector<Entrada> Acervo::Entradas() const {
    std::vector<Entrada> todas;
    todas.reserve(entradas_.size());
    for (const auto& [chave, entrada] : entradas_) todas.push_back(entrada);
    return todas;
}

bool MaisNovo(const Versao& servidor, const Versao& local) {
    if (servidor.dos && local.dos) return *servidor.dos > *local.dos;
    // A year the DOS form cannot hold (an archive's 1970, say) concerns this file alone.
    return servidor.stamp.lastWrite > local.stamp.lastWrite;
}

bool PrecisaCopiar(const std::optional<Versao>& servidor, const std::optional<Versao>& local,
                   const Entrada* vigente) {
    if (!servidor) return false;
    if (!local) return true;
    if (vigente) {
        const bool outraVersao = servidor->stamp != vigente->servidor;
        switch (vigente->estado) {
            case Estado::Retido: return outraVersao;  // newer or not: only another version undoes it
            case Estado::Incompleto: return true;
            case Estado::Instalado:
                if (outraVersao) return true;
                break;
        }
    }
    return MaisNovo(*servidor, *local);
}

bool Repara(const Entrada& registrada, const Versao& servidor) {
    if (registrada.estado == Estado::Retido) return false;
    return registrada.estado == Estado::Incompleto ||
           (registrada.recente && servidor.stamp.lastWrite <= registrada.servidor.lastWrite);
}

bool Recente(int64_t horaDoServidor) {
    // File times count 100 ns from 1601; the clock counts from 1970.
    constexpr int64_t kDe1601a1970 = 11'644'473'600LL * 10'000'000;
    constexpr int64_t kMinutos = 10LL * 60 * 10'000'000;
    const auto desde1970 = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return kDe1601a1970 + desde1970.count() * 10 - horaDoServidor < kMinutos;
}

}  // namespace acervo
