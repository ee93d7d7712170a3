#include "acervo/arquivo.h"

#include <charconv>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "acervo/digest.h"
#include "platform/temporary_names.h"
#include "platform/whole_file.h"

namespace acervo {

namespace {

constexpr std::string_view kCabecalho =
    "# AtualizaTerminalQOR7: versões do servidor que este terminal recebeu. Não edite: o programa o refaz.\n";
constexpr std::string_view kFim = "fim=";
constexpr std::string_view kExecucoes = "execucoes=";
constexpr std::string_view kPublicacao = "publicacao=";

std::string_view NomeEstado(Estado estado) {
    switch (estado) {
        case Estado::Instalado: return "instalado";
        case Estado::Incompleto: return "incompleto";
        case Estado::Retido: return "retido";
    }
    return "instalado";
}

std::optional<Estado> EstadoDoNome(std::string_view nome) {
    for (Estado estado : {Estado::Instalado, Estado::Incompleto, Estado::Retido})
        if (NomeEstado(estado) == nome) return estado;
    return std::nullopt;
}

std::string StampTexto(const platform::FileStamp& stamp) {
    return std::to_string(stamp.size) + "," + std::to_string(stamp.lastWrite);
}

template <class Numero>
std::optional<Numero> Numero_(std::string_view texto) {
    Numero valor{};
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    if (erro != std::errc() || fim != texto.data() + texto.size() || texto.empty()) return std::nullopt;
    return valor;
}

std::optional<platform::FileStamp> StampDoTexto(std::string_view texto) {
    const size_t virgula = texto.find(',');
    if (virgula == std::string_view::npos) return std::nullopt;
    const auto tamanho = Numero_<uint64_t>(texto.substr(0, virgula));
    const auto hora = Numero_<int64_t>(texto.substr(virgula + 1));
    if (!tamanho || !hora) return std::nullopt;
    return platform::FileStamp{*tamanho, *hora};
}

std::string AnteriorTexto(const Entrada& e) {
    switch (e.anterior) {
        case Anterior::Guardada: return StampTexto(e.versaoAnterior);
        case Anterior::Nenhuma: return "novo";
        case Anterior::NaoGuardada: break;
    }
    return "-";
}

// The previous generation as written; none when the text is none of the three forms.
std::optional<std::pair<Anterior, platform::FileStamp>> AnteriorDoTexto(std::string_view texto) {
    if (texto == "-") return std::pair{Anterior::NaoGuardada, platform::FileStamp{}};
    if (texto == "novo") return std::pair{Anterior::Nenhuma, platform::FileStamp{}};
    const auto stamp = StampDoTexto(texto);
    if (!stamp) return std::nullopt;
    return std::pair{Anterior::Guardada, *stamp};
}

std::string Linha(const Entrada& e) {
    return "servidor=" + StampTexto(e.servidor) + "\tlocal=" + StampTexto(e.local) +
           "\tconteudo=" + (e.conteudo ? DigestText(*e.conteudo) : std::string("-")) + "\testado=" +
           std::string(NomeEstado(e.estado)) + "\texecucao=" + std::to_string(e.execucao) +
           "\tanterior=" + AnteriorTexto(e) + (e.recente ? "\trecente=1" : "") +
           (e.sha256 ? "\tsha256=" + identidade::TextoDoResumo(*e.sha256) : std::string()) + "\tarquivo=" + e.nome + "\n";
}

// "chave=valor" fields split by tabs; "arquivo=" comes last and takes the rest of the line, so a
// name may hold any character but a line break. Records written before versions were kept lack
// "execucao" and "anterior": their entries belong to no run and kept nothing.
std::optional<Entrada> EntradaDaLinha(std::string_view linha) {
    Entrada e;
    bool temServidor = false, temLocal = false, temConteudo = false, temEstado = false;
    bool temExecucao = false, temAnterior = false;
    while (!linha.empty()) {
        const size_t igual = linha.find('=');
        if (igual == std::string_view::npos) return std::nullopt;
        const std::string_view chave = linha.substr(0, igual);
        if (chave == "arquivo") {
            e.nome = std::string(linha.substr(igual + 1));
            if (e.nome.empty() || !temServidor || !temLocal || !temConteudo || !temEstado) return std::nullopt;
            return e;
        }
        const size_t tab = linha.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        const std::string_view valor = linha.substr(igual + 1, tab - igual - 1);
        linha.remove_prefix(tab + 1);
        if (chave == "servidor" && !temServidor) {
            const auto stamp = StampDoTexto(valor);
            if (!stamp) return std::nullopt;
            e.servidor = *stamp;
            temServidor = true;
        } else if (chave == "local" && !temLocal) {
            const auto stamp = StampDoTexto(valor);
            if (!stamp) return std::nullopt;
            e.local = *stamp;
            temLocal = true;
        } else if (chave == "sha256" && !e.sha256) {
            if (!(e.sha256 = identidade::ResumoDoTexto(valor))) return std::nullopt;
        } else if (chave == "conteudo" && !temConteudo) {
            if (valor != "-" && !(e.conteudo = DigestFromText(valor))) return std::nullopt;
            temConteudo = true;
        } else if (chave == "estado" && !temEstado) {
            const auto estado = EstadoDoNome(valor);
            if (!estado) return std::nullopt;
            e.estado = *estado;
            temEstado = true;
        } else if (chave == "execucao" && !temExecucao) {
            const auto execucao = Numero_<uint64_t>(valor);
            if (!execucao) return std::nullopt;
            e.execucao = *execucao;
            temExecucao = true;
        } else if (chave == "recente" && !e.recente && valor == "1") {
            e.recente = true;
        } else if (chave == "anterior" && !temAnterior) {
            const auto anterior = AnteriorDoTexto(valor);
            if (!anterior) return std::nullopt;
            std::tie(e.anterior, e.versaoAnterior) = *anterior;
            temAnterior = true;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string Rodape(std::string_view corpo, size_t entradas) {
    return std::string(kFim) + std::to_string(entradas) + "," + DigestText(DigestOf(corpo)) + "\n";
}

}  // namespace

std::string Texto(const Acervo& acervo) {
    std::string corpo = std::string(kCabecalho) + std::string(kExecucoes) + std::to_string(acervo.UltimaExecucao()) + "\n";
    if (acervo.Publicacao()) corpo += std::string(kPublicacao) + std::to_string(acervo.Publicacao()) + "\n";
    const std::vector<Entrada> entradas = acervo.Entradas();
    for (const Entrada& e : entradas) corpo += Linha(e);
    return corpo + Rodape(corpo, entradas.size());
}

Acervo DoTexto(std::string_view texto) {
    // The last line counts the entries and seals everything before it.
    if (texto.size() < 2 || texto.back() != '\n') return {};
    const size_t inicioRodape = texto.rfind('\n', texto.size() - 2) + 1;
    const std::string_view corpo = texto.substr(0, inicioRodape);
    if (!corpo.starts_with(kCabecalho)) return {};
    const std::string_view rodape = texto.substr(inicioRodape);
    Acervo acervo;
    size_t contadas = 0;
    std::string_view resto = corpo.substr(kCabecalho.size());
    if (resto.starts_with(kExecucoes)) {
        const size_t fim = resto.find('\n');
        const auto execucao = Numero_<uint64_t>(resto.substr(kExecucoes.size(), fim - kExecucoes.size()));
        if (!execucao) return {};
        acervo.LembraExecucao(*execucao);
        resto.remove_prefix(fim + 1);
    }
    if (resto.starts_with(kPublicacao)) {
        const size_t fim = resto.find('\n');
        const auto numero = Numero_<uint64_t>(resto.substr(kPublicacao.size(), fim - kPublicacao.size()));
        if (!numero) return {};
        acervo.LembraPublicacao(*numero);
        resto.remove_prefix(fim + 1);
    }
    while (!resto.empty()) {
        const size_t fim = resto.find('\n');
        const auto entrada = EntradaDaLinha(resto.substr(0, fim));
        if (!entrada) return {};
        acervo.Registra(std::move(*entrada));
        ++contadas;
        resto.remove_prefix(fim + 1);
    }
    if (rodape != Rodape(corpo, contadas) || acervo.Tamanho() != contadas) return {};
    acervo.ComoLido();
    return acervo;
}

Acervo Le(platform::FileSystem& files, const std::string& pastaPrograma) {
    const std::optional<std::string> texto = platform::ReadWholeFile(files, pastaPrograma + std::string(kNomeArquivo), kTamanhoMaximo);
    return texto ? DoTexto(*texto) : Acervo{};
}

bool Grava(platform::FileSystem& files, const std::string& pastaPrograma, const Acervo& acervo) {
    const std::string destino = pastaPrograma + std::string(kNomeArquivo);
    // The copies' form of temporary: a run killed while writing it leaves what the next run's sweep removes.
    const std::string temporario = platform::TemporaryNameFor(destino, platform::RandomTemporaryTag());
    const std::string texto = Texto(acervo);
    bool escrito = false;
    if (std::unique_ptr<platform::File> file = files.createExclusive(temporario)) {
        escrito = file->write(texto.data(), static_cast<int64_t>(texto.size())) == static_cast<int64_t>(texto.size()) &&
                  file->flush();
    }
    if (escrito && files.replaceFile(temporario, destino)) return true;
    files.deleteFile(temporario);
    return false;
}

}  // namespace acervo
