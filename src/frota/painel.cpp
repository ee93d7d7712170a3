#include "frota/painel.h"

#include <algorithm>
#include <tuple>

#include "frota/gravacao.h"
#include "frota/nome.h"
#include "frota/tempo.h"

namespace frota {

namespace {

std::optional<int64_t> Numero(const std::optional<std::string>& texto) {
    if (!texto || texto->empty() || texto->size() > 18) return std::nullopt;
    int64_t valor = 0;
    for (char c : *texto) {
        if (c < '0' || c > '9') return std::nullopt;
        valor = valor * 10 + (c - '0');
    }
    return valor;
}

std::string Plural(int64_t n, const std::string& singular, const std::string& plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

// "3 arquivos atrás do servidor: A, B, C", with the count of those the record had no room for.
std::string Atrasados(const RegistroLido& registro) {
    const std::vector<std::string> nomes = registro.Itens("arquivo_atrasado");
    const int64_t total = std::max<int64_t>(Numero(registro.Valor("arquivos_atrasados")).value_or(0),
                                            static_cast<int64_t>(nomes.size()));
    std::string texto;
    if (total > 0) {
        texto = Plural(total, "arquivo atrás do servidor", "arquivos atrás do servidor") + ":";
        for (size_t i = 0; i < nomes.size() && i < 10; ++i) texto += (i ? ", " : " ") + nomes[i];
        if (total > static_cast<int64_t>(std::min<size_t>(nomes.size(), 10)))
            texto += " e mais " + std::to_string(total - static_cast<int64_t>(std::min<size_t>(nomes.size(), 10)));
    }
    if (registro.Valor("catalogo_incompleto") == "sim")
        texto += std::string(texto.empty() ? "" : "; ") + "o resto do catálogo não foi verificado";
    return texto;
}

// The group and the reason that the run's own outcome gives, silence aside.
std::optional<std::pair<Grupo, std::string>> PeloDesfecho(const RegistroLido& r, std::optional<std::time_t> contato,
                                                          const OpcoesPainel& opcoes) {
    const std::optional<std::string> situacao = r.Valor("situacao");
    const int64_t codigo = Numero(r.Valor("codigo_saida")).value_or(0);
    const std::string significado = r.Valor("codigo_saida_significado").value_or("");
    const std::string inicio = r.Valor("inicio").value_or("?");
    if (situacao == "em andamento") {
        if (contato && opcoes.agora - *contato <= kMinutosDeUmaExecucao * 60)
            return std::pair{Grupo::EmAndamento, "atualizando desde " + inicio};
        return std::pair{Grupo::Falha, "iniciada em " + inicio + ", nunca terminou"};
    }
    if (situacao != "normal" && situacao != "falha") return std::nullopt;
    if (situacao == "falha" || (codigo & 1) != 0 || (codigo & 4) != 0)
        return std::pair{Grupo::Falha, r.Valor("falha").value_or(significado.empty() ? "falha" : significado)};
    const std::string atrasados = Atrasados(r);
    if ((codigo & 2) != 0 || !atrasados.empty())
        return std::pair{Grupo::Atrasado, atrasados.empty() ? significado : atrasados};
    const int64_t copiados = Numero(r.Valor("copiados")).value_or(0);
    return std::pair{Grupo::EmDia, copiados ? Plural(copiados, "arquivo copiado", "arquivos copiados") : "nada a copiar"};
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

bool PiorPrimeiro(const Terminal& a, const Terminal& b) {
    const std::time_t nuncaOuvido = 0;
    return std::tuple(a.grupo, a.contato.value_or(nuncaOuvido), a.arquivo) <
           std::tuple(b.grupo, b.contato.value_or(nuncaOuvido), b.arquivo);
}

}  // namespace

const char* NomeDoGrupo(Grupo grupo) {
    switch (grupo) {
        case Grupo::Falha: return "com falha";
        case Grupo::Silencioso: return "silencioso";
        case Grupo::Atrasado: return "atrasado";
        case Grupo::EmAndamento: return "atualizando";
        case Grupo::EmDia: break;
    }
    return "em dia";
}

size_t Painel::Quantos(Grupo grupo) const {
    return static_cast<size_t>(
        std::count_if(terminais.begin(), terminais.end(), [&](const Terminal& t) { return t.grupo == grupo; }));
}

bool Painel::PedeAtencao() const {
    return Quantos(Grupo::Falha) + Quantos(Grupo::Silencioso) + Quantos(Grupo::Atrasado) > 0;
}

std::optional<Terminal> Classifica(const std::string& arquivo, const RegistroLido& registro,
                                   std::optional<std::time_t> contato, const OpcoesPainel& opcoes) {
    const auto desfecho = PeloDesfecho(registro, contato, opcoes);
    if (!desfecho) return std::nullopt;
    Terminal t;
    t.arquivo = arquivo;
    t.contato = contato;
    t.maquina = registro.Valor("maquina").value_or("");
    t.usuario = registro.Valor("usuario").value_or("");
    t.pasta = registro.Valor("pasta_programa").value_or("");
    t.versao = registro.Valor("versao").value_or("");
    t.inicio = registro.Valor("inicio").value_or("");
    t.fim = registro.Valor("fim").value_or("");
    std::tie(t.grupo, t.detalhe) = *desfecho;
    const bool silencioso = !contato || opcoes.agora - *contato > static_cast<std::time_t>(opcoes.horasSilencio) * 3600;
    if (silencioso) {
        const std::string ha = contato ? "sem notícias há " + std::to_string((opcoes.agora - *contato) / 3600) + " h"
                                       : "sem data do último contato";
        t.detalhe = ha + "; na última: " + NomeDoGrupo(t.grupo) + (t.detalhe.empty() ? "" : ", " + t.detalhe);
        t.grupo = Grupo::Silencioso;
    }
    t.deOutroNome = NomeDoRegistro(t.maquina, t.pasta) != arquivo;
    if (t.deOutroNome) t.detalhe += " (o conteúdo é de outro arquivo: " + NomeDoRegistro(t.maquina, t.pasta) + ")";
    return t;
}

Painel LePainel(platform::FileSystem& files, const std::string& pasta, const OpcoesPainel& opcoes) {
    Painel painel;
    painel.pasta = ComSeparador(pasta);
    painel.opcoes = opcoes;
    try {
        if (!files.folderIdentity(painel.pasta)) return painel;
        painel.legivel = true;
        for (const platform::DirEntry& entrada : files.find(painel.pasta + "*.txt")) {
            if (entrada.attributes & platform::attr::Directory) continue;
            const bool cabe = painel.terminais.size() < kMaximoRegistros && entrada.size <= kLimiteRegistro;
            std::optional<std::string> bytes;
            if (cabe && EhNomeDeRegistro(entrada.name)) bytes = LeLimitado(files, painel.pasta + entrada.name, entrada.size);
            const std::optional<RegistroLido> registro = bytes ? LeRegistro(*bytes) : std::nullopt;
            const std::optional<std::time_t> contato = entrada.dosTime ? HoraDeDos(*entrada.dosTime) : std::nullopt;
            std::optional<Terminal> terminal = registro ? Classifica(entrada.name, *registro, contato, opcoes) : std::nullopt;
            if (terminal) painel.terminais.push_back(std::move(*terminal));
            else ++painel.ignorados;
        }
        std::sort(painel.terminais.begin(), painel.terminais.end(), PiorPrimeiro);
    } catch (...) {
        // Out of memory on a hostile folder: what was read so far stands.
    }
    return painel;
}

}  // namespace frota
