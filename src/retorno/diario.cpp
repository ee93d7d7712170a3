#include "retorno/diario.h"

#include <charconv>
#include <memory>

#include "platform/text.h"
#include "platform/whole_file.h"
#include "retorno/nomes.h"
#include "retorno/vinculos.h"

namespace retorno {

namespace {

constexpr size_t kTamanhoMaximo = 16 * 1024 * 1024;
// The DOS form that copies give the file keeps even seconds only.
constexpr int64_t kFolgaDeHora = 20'000'000;

std::string Caminho(const std::string& pasta) {
    return pasta + std::string(kPastaAnteriores) + "\\" + std::string(kDiario);
}

std::string Carimbo(const std::optional<platform::FileStamp>& s, std::string_view nenhum) {
    return s ? std::to_string(s->size) + "," + std::to_string(s->lastWrite) : std::string(nenhum);
}

template <class Numero>
std::optional<Numero> Numero_(std::string_view texto) {
    Numero valor{};
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    if (texto.empty() || erro != std::errc() || fim != texto.data() + texto.size()) return std::nullopt;
    return valor;
}

// "size,time", or the word for none; false when it is neither.
bool LeCarimbo(std::string_view texto, std::string_view nenhum, std::optional<platform::FileStamp>& s) {
    if (texto == nenhum) return true;
    const size_t virgula = texto.find(',');
    if (virgula == std::string_view::npos) return false;
    const auto tamanho = Numero_<uint64_t>(texto.substr(0, virgula));
    const auto hora = Numero_<int64_t>(texto.substr(virgula + 1));
    if (!tamanho || !hora) return false;
    s = platform::FileStamp{*tamanho, *hora};
    return true;
}

std::optional<LinhaDoDiario> DaLinha(std::string_view linha) {
    LinhaDoDiario l;
    std::string_view campos[3];
    for (std::string_view& campo : campos) {
        const size_t tab = linha.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        campo = linha.substr(0, tab);
        linha.remove_prefix(tab + 1);
    }
    const auto valor = [](std::string_view campo, std::string_view chave) -> std::optional<std::string_view> {
        if (!campo.starts_with(chave)) return std::nullopt;
        return campo.substr(chave.size());
    };
    const auto execucao = valor(campos[0], "execucao="), servidor = valor(campos[1], "servidor="),
               anterior = valor(campos[2], "anterior="), nome = valor(linha, "arquivo=");
    if (!execucao || !servidor || !anterior || !nome || nome->empty()) return std::nullopt;
    const auto numero = Numero_<uint64_t>(*execucao);
    if (!numero || !LeCarimbo(*servidor, "-", l.servidor) || !LeCarimbo(*anterior, "novo", l.anterior)) return std::nullopt;
    l.execucao = *numero;
    l.nome = std::string(*nome);
    return l;
}

// A copy that was cut before its time was given is copied again: its entry says so.
acervo::Estado EstadoDe(const platform::FileStamp& agora, const std::optional<platform::FileStamp>& servidor) {
    const bool inteiro = servidor && agora.size == servidor->size &&
                         agora.lastWrite - servidor->lastWrite <= kFolgaDeHora &&
                         servidor->lastWrite - agora.lastWrite <= kFolgaDeHora;
    return inteiro ? acervo::Estado::Instalado : acervo::Estado::Incompleto;
}

}  // namespace

std::string TextoDaLinha(const LinhaDoDiario& l) {
    return "execucao=" + std::to_string(l.execucao) + "\tservidor=" + Carimbo(l.servidor, "-") +
           "\tanterior=" + Carimbo(l.anterior, "novo") + "\tarquivo=" + l.nome + "\n";
}

std::vector<LinhaDoDiario> LinhasDoDiario(std::string_view texto) {
    std::vector<LinhaDoDiario> linhas;
    for (size_t fim; (fim = texto.find('\n')) != std::string_view::npos; texto.remove_prefix(fim + 1))
        if (std::optional<LinhaDoDiario> linha = DaLinha(texto.substr(0, fim))) linhas.push_back(std::move(*linha));
    return linhas;
}

bool Anota(platform::FileSystem& files, const std::string& pastaPrograma, const LinhaDoDiario& linha) {
    if (linha.nome.find_first_of("\r\n") != std::string::npos) return false;
    return CriaPastas(files, pastaPrograma, std::string(kPastaAnteriores) + "\\" + std::string(kDiario)) &&
           files.appendToFile(Caminho(pastaPrograma), TextoDaLinha(linha));
}

void ApagaDiario(platform::FileSystem& files, const std::string& pastaPrograma) {
    RemoveNome(files, Caminho(pastaPrograma), "");
}

void Retoma(platform::FileSystem& files, const std::string& pastaPrograma, acervo::Acervo& acervo, const Aviso& aviso) {
    const std::optional<std::string> texto = platform::ReadWholeFile(files, Caminho(pastaPrograma), kTamanhoMaximo);
    if (!texto) return;
    const uint64_t conhecida = acervo.UltimaExecucao();
    size_t retomados = 0;
    for (const LinhaDoDiario& l : LinhasDoDiario(*texto)) {
        const std::optional<std::string> normal = NomeNormal(l.nome);
        if (l.execucao <= conhecida || !normal || NomeReservado(l.nome)) continue;
        const std::string arquivo = pastaPrograma + l.nome, guardado = pastaPrograma + NomeGuardado(*normal),
                          pendente = pastaPrograma + NomePendente(*normal);
        const std::optional<platform::FileStamp> agora = files.stampOf(arquivo);
        if (l.anterior && agora == l.anterior) {
            RemoveNome(files, pendente, arquivo);  // not replaced: its second name goes
            continue;
        }
        if (!agora) {
            // Deleted by the clean-up and never copied back: its bytes are at hand.
            if (l.anterior && files.stampOf(pendente) == l.anterior && files.moveFile(pendente, arquivo))
                aviso("devolvido ao terminal (a execução anterior o apagou e não o trouxe de volta): " +
                      platform::pathForDisplay(l.nome));
            continue;
        }
        acervo::Entrada e{l.nome, l.servidor.value_or(*agora), *agora, std::nullopt, EstadoDe(*agora, l.servidor),
                          l.execucao, acervo::Anterior::Nenhuma, {}};
        e.recente = acervo::Recente(e.servidor.lastWrite);
        if (l.anterior) {
            e.anterior = acervo::Anterior::NaoGuardada;
            if (files.stampOf(pendente) == l.anterior && files.stampOf(guardado) != l.anterior) {
                LiberaParaSubstituir(files, guardado);
                if (CriaPastas(files, pastaPrograma, NomeGuardado(*normal))) files.replaceFile(pendente, guardado);
            }
            if (files.stampOf(guardado) == l.anterior) {
                e.anterior = acervo::Anterior::Guardada;
                e.versaoAnterior = *l.anterior;
            }
        }
        acervo.Registra(std::move(e));
        ++retomados;
    }
    if (retomados > 0)
        aviso("registro completado pelo diário da execução que não o gravou: " + std::to_string(retomados) + " arquivo(s)");
}

}  // namespace retorno
