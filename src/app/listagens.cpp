#include "app/listagens.h"

#include <algorithm>
#include <numeric>

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
        pasta.ordem.resize(pasta.entradas.size());
        std::iota(pasta.ordem.begin(), pasta.ordem.end(), uint32_t{0});
        std::sort(pasta.ordem.begin(), pasta.ordem.end(), [&pasta](uint32_t a, uint32_t b) {
            return platform::folderOrder(pasta.entradas[a].name, pasta.entradas[b].name);
        });
    }
    return pasta;
}

void Listagens::Indexa(Pasta& pasta, uint32_t posicao) {
    const std::string& nome = pasta.entradas[posicao].name;
    const auto onde = std::upper_bound(pasta.ordem.begin(), pasta.ordem.end(), nome, [&pasta](const std::string& n, uint32_t i) {
        return platform::folderOrder(n, pasta.entradas[i].name);
    });
    pasta.ordem.insert(onde, posicao);
}

// The name as written; else the first of its spellings in another letter case.
const platform::DirEntry* Listagens::Entrada(const Pasta& pasta, const std::string& nome) {
    const auto primeira = std::lower_bound(pasta.ordem.begin(), pasta.ordem.end(), nome, [&pasta](uint32_t i, const std::string& n) {
        return platform::compareIgnoringAsciiCase(pasta.entradas[i].name, n) < 0;
    });
    const platform::DirEntry* outraCaixa = nullptr;
    for (auto it = primeira; it != pasta.ordem.end(); ++it) {
        const platform::DirEntry& entrada = pasta.entradas[*it];
        if (!platform::equalsIgnoringAsciiCase(entrada.name, nome)) break;
        if (entrada.name == nome) return &entrada;
        if (!outraCaixa) outraCaixa = &entrada;
    }
    return outraCaixa;
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
    if (!partes) return {Direto(pasta + nome), true, files_.attributes(pasta + nome).value_or(0)};
    bool lida = true;
    const std::optional<std::string> onde = PastaDe(pasta, *partes, lida);
    if (!onde) return {std::nullopt, lida};
    Pasta& listada = Lista(*onde);
    if (!listada.lida) return {std::nullopt, false};
    const platform::DirEntry* entrada = Entrada(listada, partes->back());
    if (!entrada) {
        if (SistemaPodeAcharDeOutroJeito(nome)) return {Direto(pasta + nome), true, files_.attributes(pasta + nome).value_or(0)};
        return {std::nullopt, true};
    }
    if (!entrada->isFile()) return {std::nullopt, true};
    return {acervo::Versao{{entrada->size, *entrada->lastWrite}, entrada->dosTime}, true, entrada->attributes};
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
    const platform::DirEntry* antes = Entrada(listada, agora.front().name);
    if (antes && antes->name == agora.front().name) {
        listada.entradas[static_cast<size_t>(antes - listada.entradas.data())] = agora.front();
        return;
    }
    listada.entradas.push_back(agora.front());
    Indexa(listada, static_cast<uint32_t>(listada.entradas.size() - 1));
}

}  // namespace app
