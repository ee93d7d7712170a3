#include "frota/leitura.h"

#include "platform/text.h"

namespace frota {

namespace {

bool ChaveValida(std::string_view chave) {
    if (chave.empty()) return false;
    for (char c : chave)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// Valid UTF-8 without control characters (the line ends are gone by now).
bool TextoLimpo(std::string_view linha) {
    for (size_t i = 0; i < linha.size();) {
        const unsigned char c = static_cast<unsigned char>(linha[i]);
        const size_t n = platform::utf8CharLength(linha, i);
        if (c < 0x20 || c == 0x7f || (n == 1 && c >= 0x80)) return false;
        i += n;
    }
    return true;
}

std::vector<std::string_view> Linhas(std::string_view texto) {
    std::vector<std::string_view> linhas;
    for (size_t inicio = 0; inicio <= texto.size();) {
        size_t fim = texto.find('\n', inicio);
        if (fim == std::string_view::npos) fim = texto.size();
        std::string_view linha = texto.substr(inicio, fim - inicio);
        if (!linha.empty() && linha.back() == '\r') linha.remove_suffix(1);
        linhas.push_back(linha);
        inicio = fim + 1;
    }
    if (!linhas.empty() && linhas.back().empty()) linhas.pop_back();  // after the last line end
    return linhas;
}

}  // namespace

std::optional<std::string> RegistroLido::Valor(std::string_view chave) const {
    for (const Campo& campo : campos_)
        if (campo.chave == chave) return campo.valor;
    return std::nullopt;
}

std::vector<std::string> RegistroLido::Itens(std::string_view chave) const {
    std::vector<std::string> itens;
    for (const Campo& campo : campos_)
        if (campo.chave == chave) itens.push_back(campo.valor);
    return itens;
}

std::optional<RegistroLido> LeRegistro(std::string_view bytes) {
    if (bytes.size() > kLimiteRegistro) return std::nullopt;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);  // saved again by Notepad
    const std::vector<std::string_view> linhas = Linhas(bytes);
    if (linhas.empty() || linhas.front() != kAssinatura) return std::nullopt;
    std::vector<Campo> campos;
    for (size_t i = 1; i < linhas.size(); ++i) {
        const std::string_view linha = linhas[i];
        if (linha.empty()) continue;
        const size_t igual = linha.find('=');
        if (igual == std::string_view::npos || !ChaveValida(linha.substr(0, igual)) || !TextoLimpo(linha))
            return std::nullopt;
        campos.push_back({std::string(linha.substr(0, igual)), std::string(linha.substr(igual + 1))});
    }
    return RegistroLido(std::move(campos));
}

// At most one byte past the limit, enough for the reader to refuse an oversized record. A short
// read that completes the size the listing gave is taken as the end: on a share that saves the
// read that would only find it, one request per record.
std::optional<std::string> LeLimitado(platform::FileSystem& files, const std::string& caminho, uint64_t tamanhoListado) {
    std::unique_ptr<platform::File> arquivo = files.openRead(caminho);
    if (!arquivo) return std::nullopt;
    std::string bytes(kLimiteRegistro + 1, '\0');
    size_t lidos = 0;
    while (lidos < bytes.size()) {
        const auto pedido = static_cast<int64_t>(bytes.size() - lidos);
        const int64_t n = arquivo->read(bytes.data() + lidos, pedido);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        lidos += static_cast<size_t>(n);
        if (n < pedido && lidos == tamanhoListado) break;
    }
    bytes.resize(lidos);
    return bytes;
}

}  // namespace frota
