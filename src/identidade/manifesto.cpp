#include "identidade/manifesto.h"

#include <charconv>
#include <memory>

#include "platform/temporary_names.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace identidade {

namespace {

constexpr std::string_view kAssinatura = "# AtualizaTerminalQOR7: manifesto da publicação. Não edite: --publicar o refaz.\r\n";
constexpr std::string_view kFim = "fim=";

std::string SeparadorDe(const std::string& pasta) {
    return !pasta.empty() && platform::isSeparator(pasta.back()) ? "" : std::string(1, platform::kColonIsDriveDelimiter ? '\\' : '/');
}

template <class Numero>
std::optional<Numero> NumeroDe(std::string_view texto) {
    Numero valor{};
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    if (texto.empty() || erro != std::errc() || fim != texto.data() + texto.size()) return std::nullopt;
    return valor;
}

// "chave=valor" fields split by tabs; "arquivo=" comes last and takes the rest of the line.
std::optional<ArquivoPublicado> ArquivoDaLinha(std::string_view linha) {
    ArquivoPublicado a;
    int campos = 0;
    while (!linha.empty()) {
        const size_t igual = linha.find('=');
        if (igual == std::string_view::npos) return std::nullopt;
        const std::string_view chave = linha.substr(0, igual);
        if (chave == "arquivo") {
            a.nome = std::string(linha.substr(igual + 1));
            if (a.nome.empty() || campos != 4) return std::nullopt;
            return a;
        }
        const size_t tab = linha.find('\t');
        if (tab == std::string_view::npos || tab < igual) return std::nullopt;
        const std::string_view valor = linha.substr(igual + 1, tab - igual - 1);
        linha.remove_prefix(tab + 1);
        std::optional<bool> lido;
        if (chave == "sha256" && campos == 0) {
            const auto resumo = ResumoDoTexto(valor);
            if (resumo) a.sha256 = *resumo;
            lido = resumo.has_value();
        } else if (chave == "tamanho" && campos == 1) {
            const auto n = NumeroDe<uint64_t>(valor);
            if (n) a.stamp.size = *n;
            lido = n.has_value();
        } else if (chave == "hora" && campos == 2) {
            const auto n = NumeroDe<int64_t>(valor);
            if (n) a.stamp.lastWrite = *n;
            lido = n.has_value();
        } else if (chave == "atributos" && campos == 3) {
            const auto n = NumeroDe<uint32_t>(valor);
            if (n) a.atributos = *n;
            lido = n.has_value();
        }
        if (!lido || !*lido) return std::nullopt;
        ++campos;
    }
    return std::nullopt;
}

std::string LinhaDoArquivo(const ArquivoPublicado& a) {
    return "sha256=" + TextoDoResumo(a.sha256) + "\ttamanho=" + std::to_string(a.stamp.size) +
           "\thora=" + std::to_string(a.stamp.lastWrite) + "\tatributos=" + std::to_string(a.atributos) +
           "\tarquivo=" + a.nome + "\r\n";
}

std::string Rodape(std::string_view corpo, size_t arquivos) {
    return std::string(kFim) + std::to_string(arquivos) + "," + TextoDoResumo(Sha256Of(corpo)) + "\r\n";
}

}  // namespace

std::string ChaveDoNome(std::string_view nome) {
    std::string chave(nome);
    for (char& c : chave) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == '/') c = '\\';
    }
    return chave;
}

void Manifesto::Acrescenta(ArquivoPublicado arquivo) {
    const std::string chave = ChaveDoNome(arquivo.nome);
    if (const auto it = porChave_.find(chave); it != porChave_.end()) {
        arquivos_[it->second] = std::move(arquivo);
        return;
    }
    porChave_.emplace(chave, arquivos_.size());
    arquivos_.push_back(std::move(arquivo));
}

const ArquivoPublicado* Manifesto::Procura(std::string_view nome) const {
    const auto it = porChave_.find(ChaveDoNome(nome));
    return it == porChave_.end() ? nullptr : &arquivos_[it->second];
}

const ArquivoPublicado* Manifesto::Descreve(std::string_view nome, const platform::FileStamp& servidor) const {
    const ArquivoPublicado* a = Procura(nome);
    return a && a->stamp == servidor ? a : nullptr;
}

std::string Texto(const Manifesto& manifesto) {
    std::string corpo(kAssinatura);
    corpo += "publicacao=" + std::to_string(manifesto.numero) + "\r\n";
    corpo += "data=" + manifesto.data + "\r\n";
    for (const ArquivoPublicado& a : manifesto.Arquivos()) corpo += LinhaDoArquivo(a);
    return corpo + Rodape(corpo, manifesto.Arquivos().size());
}

std::optional<Manifesto> DoTexto(std::string_view texto) {
    if (!texto.starts_with(kAssinatura) || !texto.ends_with("\r\n")) return std::nullopt;
    const size_t ultima = texto.rfind("\r\n", texto.size() - 3);
    if (ultima == std::string_view::npos) return std::nullopt;
    const std::string_view corpo = texto.substr(0, ultima + 2);
    Manifesto manifesto;
    std::string_view resto = corpo.substr(kAssinatura.size());
    int cabecalho = 0;
    while (!resto.empty()) {
        const size_t fim = resto.find("\r\n");
        if (fim == std::string_view::npos) return std::nullopt;
        const std::string_view linha = resto.substr(0, fim);
        resto.remove_prefix(fim + 2);
        if (cabecalho == 0) {
            if (!linha.starts_with("publicacao=")) return std::nullopt;
            const auto numero = NumeroDe<uint64_t>(linha.substr(11));
            if (!numero) return std::nullopt;
            manifesto.numero = *numero;
            ++cabecalho;
        } else if (cabecalho == 1) {
            if (!linha.starts_with("data=")) return std::nullopt;
            manifesto.data = std::string(linha.substr(5));
            ++cabecalho;
        } else {
            std::optional<ArquivoPublicado> a = ArquivoDaLinha(linha);
            if (!a || manifesto.Procura(a->nome)) return std::nullopt;
            manifesto.Acrescenta(std::move(*a));
        }
    }
    if (cabecalho < 2) return std::nullopt;
    if (texto.substr(corpo.size()) != Rodape(corpo, manifesto.Arquivos().size())) return std::nullopt;
    return manifesto;
}

std::string CaminhoManifesto(const std::string& pastaServidor) {
    return pastaServidor + SeparadorDe(pastaServidor) + std::string(kPastaManifesto) + "\\" + std::string(kNomeManifesto);
}

std::string CaminhoAnuncio(const std::string& pastaServidor) {
    return pastaServidor + SeparadorDe(pastaServidor) + std::string(kPastaManifesto) + "\\" + std::string(kNomeAnuncio);
}

std::optional<Manifesto> LeManifesto(platform::FileSystem& files, const std::string& pastaServidor) {
    return LeManifestoDoArquivo(files, CaminhoManifesto(pastaServidor));
}

std::optional<Manifesto> LeManifestoDoArquivo(platform::FileSystem& files, const std::string& caminho) {
    // By its listing first: nothing but a plain file of a sane size is opened.
    const std::vector<platform::DirEntry> achados = files.find(caminho);
    if (achados.size() != 1 || !achados[0].isFile() || achados[0].size > kTamanhoMaximoManifesto) return std::nullopt;
    const std::optional<std::string> texto = platform::ReadWholeFile(files, caminho, kTamanhoMaximoManifesto);
    return texto ? DoTexto(*texto) : std::nullopt;
}

bool GravaInteiro(platform::FileSystem& files, const std::string& caminho, std::string_view conteudo) {
    const std::string temporario = platform::TemporaryNameFor(caminho, platform::RandomTemporaryTag());
    bool gravado = false;
    {
        std::unique_ptr<platform::File> arquivo = files.createExclusive(temporario);
        const auto tamanho = static_cast<int64_t>(conteudo.size());
        gravado = arquivo && arquivo->write(conteudo.data(), tamanho) == tamanho && arquivo->flush();
    }
    if (gravado && files.replaceFile(temporario, caminho)) return true;
    files.deleteFile(temporario);
    return false;
}

bool GravaManifesto(platform::FileSystem& files, const std::string& pastaServidor, const Manifesto& manifesto) {
    return GravaInteiro(files, CaminhoManifesto(pastaServidor), Texto(manifesto));
}

bool PublicacaoAnunciada(platform::FileSystem& files, const std::string& pastaServidor, std::time_t agora) {
    const std::vector<platform::DirEntry> achados = files.find(CaminhoAnuncio(pastaServidor));
    if (achados.empty() || !achados[0].lastWrite) return false;
    constexpr int64_t kSegundos1601A1970 = 11644473600, kPassosPorSegundo = 10000000;
    const int64_t escrito = *achados[0].lastWrite / kPassosPorSegundo - kSegundos1601A1970;
    // A clock a little ahead of this terminal's is no reason to take the announcement for stale.
    return static_cast<int64_t>(agora) - escrito < kSegundosAnuncioVale;
}

std::string DataUtc(std::time_t quando) {
    std::tm partes{};
#ifdef _WIN32
    gmtime_s(&partes, &quando);
#else
    gmtime_r(&quando, &partes);
#endif
    char texto[40];
    std::strftime(texto, sizeof texto, "%Y-%m-%d %H:%M:%S UTC", &partes);
    return texto;
}

}  // namespace identidade
