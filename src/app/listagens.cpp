#include "app/listagens.h"

#include "app/catalogue.h"
#include "platform/text.h"

namespace app {

namespace {

// The components of a relative name; none when the system would read it otherwise than as plain
// components ("." or "..", an empty one, Windows dropping trailing dots and blanks): such names
// take the per-file calls.
std::optional<std::vector<std::string>> Partes(const std::string& nome) {
    std::vector<std::string> partes(1);
    for (char c : nome) {
        if (platform::isSeparator(c)) partes.emplace_back();
        else partes.back() += c;
    }
    for (const std::string& parte : partes)
        if (parte.empty() || parte == "." || parte == ".." || parte.back() == '.' || parte.back() == ' ') return std::nullopt;
    return partes;
}

// Windows finds a name whatever the case of any letter, and by its short form too: a name that the
// listing does not hold as written or in another ASCII case is asked of the system there.
bool SistemaPodeAcharDeOutroJeito(const std::string& nome) {
#ifdef _WIN32
    for (char c : nome)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '~') return true;
#else
    (void)nome;
#endif
    return false;
}

}  // namespace

Listagens::Pasta& Listagens::Lista(const std::string& caminho) {
    const auto found = pastas_.find(caminho);
    if (found != pastas_.end()) return found->second;
    Pasta& pasta = pastas_[caminho];
    if (std::optional<std::vector<platform::DirEntry>> entradas = files_.listFolder(caminho)) {
        pasta.lida = true;
        pasta.entradas = std::move(*entradas);
        for (size_t i = 0; i < pasta.entradas.size(); ++i) {
            pasta.exatos.emplace(pasta.entradas[i].name, i);
            pasta.semCaixa.emplace(platform::upperAscii(pasta.entradas[i].name), i);
        }
    }
    return pasta;
}

const platform::DirEntry* Listagens::Entrada(Pasta& pasta, const std::string& nome) const {
    if (const auto exato = pasta.exatos.find(nome); exato != pasta.exatos.end()) return &pasta.entradas[exato->second];
    const auto outraCaixa = pasta.semCaixa.find(platform::upperAscii(nome));
    return outraCaixa == pasta.semCaixa.end() ? nullptr : &pasta.entradas[outraCaixa->second];
}

std::optional<std::string> Listagens::PastaDe(const std::string& pasta, const std::vector<std::string>& partes,
                                              bool& lida) {
    std::string atual = pasta;
    for (size_t i = 0; i + 1 < partes.size(); ++i) {
        Pasta& listada = Lista(atual);
        lida = listada.lida;
        const platform::DirEntry* sub = lida ? Entrada(listada, partes[i]) : nullptr;
        if (!sub || !(sub->attributes & platform::attr::Directory)) return std::nullopt;
        atual += sub->name + "\\";
    }
    return atual;
}

Listagens::Resposta Listagens::Procura(const std::string& pasta, const std::string& nome) {
    const std::optional<std::vector<std::string>> partes = Partes(nome);
    if (!partes) return {Direto(pasta + nome), true};
    bool lida = true;
    const std::optional<std::string> onde = PastaDe(pasta, *partes, lida);
    if (!onde) return {std::nullopt, lida};
    Pasta& listada = Lista(*onde);
    if (!listada.lida) return {std::nullopt, false};
    const platform::DirEntry* entrada = Entrada(listada, partes->back());
    if (!entrada) {
        if (SistemaPodeAcharDeOutroJeito(nome)) return {Direto(pasta + nome), true};
        return {std::nullopt, true};
    }
    if (!entrada->isFile()) return {std::nullopt, true};
    return {acervo::Versao{{entrada->size, *entrada->lastWrite}, entrada->dosTime}, true};
}

std::optional<acervo::Versao> Listagens::Direto(const std::string& caminho) { return VersaoDe(files_, caminho); }

void Listagens::Esquece(const std::string& pasta) {
    std::erase_if(pastas_, [&pasta](const auto& listada) { return listada.first.starts_with(pasta); });
}

void Listagens::Atualiza(const std::string& pasta, const std::string& nome) {
    const std::optional<std::vector<std::string>> partes = Partes(nome);
    if (!partes) return;
    bool lida = true;
    const std::optional<std::string> onde = PastaDe(pasta, *partes, lida);
    if (!onde) {
        Esquece(pasta);  // a sub-folder the copy created: listed again when next needed
        return;
    }
    Pasta& listada = Lista(*onde);
    if (!listada.lida) {
        pastas_.erase(*onde);
        return;
    }
    std::vector<platform::DirEntry> agora = files_.find(*onde + partes->back());
    if (agora.empty()) return;
    const auto it = listada.exatos.find(agora.front().name);
    if (it != listada.exatos.end()) {
        listada.entradas[it->second] = agora.front();
        return;
    }
    listada.entradas.push_back(agora.front());
    listada.exatos.emplace(agora.front().name, listada.entradas.size() - 1);
    listada.semCaixa.emplace(platform::upperAscii(agora.front().name), listada.entradas.size() - 1);
}

}  // namespace app
