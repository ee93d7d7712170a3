#include "frota/painel.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "frota/gravacao.h"
#include "frota/nome.h"
#include "frota/tempo.h"
#include "platform/text.h"
#include "platform/text_decoding.h"

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
std::string ListaDoRegistro(const RegistroLido& registro, const char* chaveTotal, const char* chaveItem,
                            const std::string& singular, const std::string& plural) {
    constexpr size_t kMostrados = 10;
    const std::vector<std::string> nomes = registro.Itens(chaveItem);
    const int64_t total =
        std::max<int64_t>(Numero(registro.Valor(chaveTotal)).value_or(0), static_cast<int64_t>(nomes.size()));
    if (total == 0) return {};
    std::string texto = Plural(total, singular, plural) + ":";
    const size_t mostrados = std::min(nomes.size(), kMostrados);
    for (size_t i = 0; i < mostrados; ++i) texto += (i ? ", " : " ") + nomes[i];
    if (total > static_cast<int64_t>(mostrados)) texto += " e mais " + std::to_string(total - static_cast<int64_t>(mostrados));
    return texto;
}

std::string Atrasados(const RegistroLido& registro) {
    std::string texto = ListaDoRegistro(registro, "arquivos_atrasados", "arquivo_atrasado", "arquivo atrás do servidor",
                                        "arquivos atrás do servidor");
    if (registro.Valor("catalogo_incompleto") == "sim")
        texto += std::string(texto.empty() ? "" : "; ") + "o resto do catálogo não foi verificado";
    return texto;
}

std::string Juntos(const std::string& a, const std::string& b) { return a.empty() ? b : b.empty() ? a : a + "; " + b; }

// Files that a step back (--voltar) keeps in their earlier version on purpose: those an update
// run held back, or those the step back itself just gave back.
std::string Retidos(const RegistroLido& registro) {
    return Juntos(ListaDoRegistro(registro, "arquivos_retidos", "arquivo_retido", "arquivo mantido na versão anterior",
                                  "arquivos mantidos na versão anterior"),
                  ListaDoRegistro(registro, "arquivos_voltaram", "arquivo_voltou", "arquivo voltou à versão anterior",
                                  "arquivos voltaram à versão anterior"));
}

// The group and the reason that the run's own outcome gives, silence aside.
std::optional<std::pair<Grupo, std::string>> PeloDesfecho(const RegistroLido& r, std::optional<std::time_t> contato,
                                                          const OpcoesPainel& opcoes) {
    const std::optional<std::string> situacao = r.Valor("situacao");
    const int64_t codigo = Numero(r.Valor("codigo_saida")).value_or(0);
    const std::string significado = r.Valor("codigo_saida_significado").value_or("");
    const std::string inicio = r.Valor("inicio").value_or("?");
    if (situacao == "em andamento") {
        // A run waiting at a box rewrote its record when the box came: it lives, until silence says otherwise.
        if (const std::optional<std::string> caixa = r.Valor("aguardando_resposta"))
            return std::pair{Grupo::EmAndamento, "iniciada em " + inicio + "; esperando resposta numa mensagem desde " + *caixa};
        if (contato && opcoes.agora - *contato <= kMinutosDeUmaExecucao * 60)
            return std::pair{Grupo::EmAndamento, "atualizando desde " + inicio};
        return std::pair{Grupo::Falha, "iniciada em " + inicio + ", nunca terminou"};
    }
    if (situacao != "normal" && situacao != "falha") return std::nullopt;
    if (situacao == "falha" || (codigo & 1) != 0 || (codigo & 4) != 0)
        return std::pair{Grupo::Falha, r.Valor("falha").value_or(significado.empty() ? "falha" : significado)};
    const std::string atrasados = Atrasados(r), retidos = Retidos(r);
    if ((codigo & 2) != 0 || !atrasados.empty())
        return std::pair{Grupo::Atrasado, Juntos(atrasados.empty() ? significado : atrasados, retidos)};
    if (!retidos.empty()) return std::pair{Grupo::Retido, retidos};
    if (r.Valor("comando") == "voltar") return std::pair{Grupo::EmDia, "--voltar: " + significado};
    const int64_t copiados = Numero(r.Valor("copiados")).value_or(0);
    return std::pair{Grupo::EmDia, copiados ? Plural(copiados, "arquivo copiado", "arquivos copiados") : "nada a copiar"};
}

// The machine part of a record's file name ("CAIXA-01" of "CAIXA-01_1a2b3c4d.txt").
std::string ParteDaMaquina(const std::string& arquivo) {
    const size_t fim = arquivo.rfind('_');
    return platform::upperAscii(arquivo.substr(0, fim == std::string::npos ? 0 : fim));
}

// The machines the administrator listed that left no record in the folder.
void AcrescentaNuncaVistos(Painel& painel, const std::string& lista) {
    std::set<std::string> vistos;
    for (const Terminal& t : painel.terminais) vistos.insert(ParteDaMaquina(t.arquivo));
    std::set<std::string> listados;
    for (std::string_view resto = lista; !resto.empty();) {
        const size_t fim = std::min(resto.find('\n'), resto.size());
        std::string nome(resto.substr(0, fim));
        resto.remove_prefix(std::min(fim + 1, resto.size()));
        nome.erase(0, std::min(nome.find_first_not_of(" \t\r"), nome.size()));
        nome.erase(nome.find_last_not_of(" \t\r") + 1);
        if (nome.empty() || nome[0] == '#' || painel.terminais.size() >= kMaximoRegistros) continue;
        const std::string parte = ParteDaMaquina(NomeDoRegistro(nome, ""));
        if (vistos.count(parte) || !listados.insert(parte).second) continue;
        Terminal t;
        t.grupo = Grupo::NuncaVisto;
        t.maquina = nome;
        t.detalhe = "na lista " + std::string(kArquivoEsperados) + ", sem registro nesta pasta";
        painel.terminais.push_back(std::move(t));
    }
}

bool PiorPrimeiro(const Terminal& a, const Terminal& b) {
    const std::time_t nuncaOuvido = 0;
    return std::tuple(a.grupo, a.contato.value_or(nuncaOuvido), a.arquivo, a.maquina) <
           std::tuple(b.grupo, b.contato.value_or(nuncaOuvido), b.arquivo, b.maquina);
}

}  // namespace

const char* NomeDoGrupo(Grupo grupo) {
    switch (grupo) {
        case Grupo::Falha: return "com falha";
        case Grupo::Silencioso: return "silencioso";
        case Grupo::NuncaVisto: return "nunca visto";
        case Grupo::Atrasado: return "atrasado";
        case Grupo::Retido: return "versão anterior";
        case Grupo::EmAndamento: return "atualizando";
        case Grupo::EmDia: break;
    }
    return "em dia";
}

const char* AcaoDoGrupo(Grupo grupo) {
    switch (grupo) {
        case Grupo::Falha: return "veja o erro no terminal (o registro e o AtualizaTerminalQOR7.log)";
        case Grupo::Silencioso: return "veja se o terminal está ligado e alcança o compartilhamento";
        case Grupo::NuncaVisto: return "instale o atualizador no terminal ou veja se ele alcança o compartilhamento";
        case Grupo::Atrasado: return "veja por que a cópia falhou; a próxima execução tenta de novo";
        case Grupo::Retido: return "a atualização foi desfeita (--voltar): publique uma versão corrigida";
        case Grupo::EmAndamento:
        case Grupo::EmDia: break;
    }
    return "nada a fazer";
}

std::string HaQuanto(std::time_t agora, std::time_t quando) {
    const std::time_t segundos = std::max<std::time_t>(agora - quando, 0);
    if (segundos < 60) return "há < 1 min";
    if (segundos < 3600) return "há " + std::to_string(segundos / 60) + " min";
    if (segundos < 48 * 3600) return "há " + std::to_string(segundos / 3600) + " h";
    return "há " + std::to_string(segundos / 86400) + " dias";
}

bool RenovacaoComProblema(const std::string& renovacao) {
    return renovacao.rfind("recusada", 0) == 0 || renovacao.rfind("falhou", 0) == 0;
}

std::string NomeDoAtualizador(const Terminal& t) {
    if (t.versao.empty()) return {};
    return t.compilacao.empty() ? t.versao : t.versao + " (" + t.compilacao + ")";
}

size_t Painel::Quantos(Grupo grupo) const {
    return static_cast<size_t>(
        std::count_if(terminais.begin(), terminais.end(), [&](const Terminal& t) { return t.grupo == grupo; }));
}

bool Painel::PedeAtencao() const {
    return Quantos(Grupo::Falha) + Quantos(Grupo::Silencioso) + Quantos(Grupo::NuncaVisto) + Quantos(Grupo::Atrasado) > 0;
}

size_t Painel::OuvidosNoUltimoDia() const {
    return static_cast<size_t>(std::count_if(terminais.begin(), terminais.end(), [&](const Terminal& t) {
        return t.contato && opcoes.agora - *t.contato <= 24 * 3600;
    }));
}

bool Painel::PoucosDeramNoticia() const { return !terminais.empty() && 2 * OuvidosNoUltimoDia() <= terminais.size(); }

std::optional<int64_t> Painel::PublicacaoMaisRecente() const {
    std::optional<int64_t> maior;
    for (const Terminal& t : terminais)
        if (t.publicacao && (!maior || *t.publicacao > *maior)) maior = t.publicacao;
    return maior;
}

size_t Painel::NaPublicacaoMaisRecente() const {
    const std::optional<int64_t> maior = PublicacaoMaisRecente();
    return static_cast<size_t>(
        std::count_if(terminais.begin(), terminais.end(), [&](const Terminal& t) { return maior && t.publicacao == maior; }));
}

std::vector<std::pair<std::string, size_t>> Painel::Atualizadores() const {
    std::vector<std::pair<std::string, size_t>> contagem;
    for (const Terminal& t : terminais) {
        const std::string nome = NomeDoAtualizador(t);
        if (t.arquivo.empty() || nome.empty()) continue;
        auto achado = std::find_if(contagem.begin(), contagem.end(), [&](const auto& par) { return par.first == nome; });
        if (achado == contagem.end()) contagem.emplace_back(nome, 1);
        else ++achado->second;
    }
    std::stable_sort(contagem.begin(), contagem.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return contagem;
}

size_t Painel::RenovacoesComProblema() const {
    return static_cast<size_t>(std::count_if(terminais.begin(), terminais.end(),
                                             [](const Terminal& t) { return RenovacaoComProblema(t.renovacao); }));
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
    t.compilacao = registro.Valor("compilacao").value_or("");
    t.inicio = registro.Valor("inicio").value_or("");
    t.fim = registro.Valor("fim").value_or("");
    t.publicacao = Numero(registro.Valor("publicacao"));
    t.renovacao = registro.Valor("renovacao").value_or("");
    t.ultimoSucesso = HoraDeUtc(registro.Valor("ultimo_sucesso_utc").value_or(""));
    std::tie(t.grupo, t.detalhe) = *desfecho;
    if (RenovacaoComProblema(t.renovacao)) t.detalhe = Juntos(t.detalhe, "renovação do atualizador " + t.renovacao);
    const bool silencioso = !contato || opcoes.agora - *contato > static_cast<std::time_t>(opcoes.horasSilencio) * 3600;
    if (silencioso) {
        const std::string ha = contato ? "sem notícias " + HaQuanto(opcoes.agora, *contato) : "sem data do último contato";
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
        std::optional<std::string> esperados;
        for (const platform::DirEntry& entrada : files.find(painel.pasta + "*.txt")) {
            if (entrada.attributes & platform::attr::Directory) continue;
            if (platform::equalsIgnoringAsciiCase(entrada.name, kArquivoEsperados)) {
                if (entrada.size <= kLimiteRegistro) esperados = LeLimitado(files, painel.pasta + entrada.name, entrada.size);
                if (!esperados || !platform::IsValidUtf8(*esperados)) ++painel.ignorados, esperados.reset();
                continue;
            }
            const bool cabe = painel.terminais.size() < kMaximoRegistros && entrada.size <= kLimiteRegistro;
            std::optional<std::string> bytes;
            if (cabe && EhNomeDeRegistro(entrada.name)) bytes = LeLimitado(files, painel.pasta + entrada.name, entrada.size);
            const std::optional<RegistroLido> registro = bytes ? LeRegistro(*bytes) : std::nullopt;
            const std::optional<std::time_t> contato = entrada.dosTime ? HoraDeDos(*entrada.dosTime) : std::nullopt;
            std::optional<Terminal> terminal = registro ? Classifica(entrada.name, *registro, contato, opcoes) : std::nullopt;
            if (terminal) painel.terminais.push_back(std::move(*terminal));
            else ++painel.ignorados;
        }
        if (esperados) AcrescentaNuncaVistos(painel, *esperados);
        std::sort(painel.terminais.begin(), painel.terminais.end(), PiorPrimeiro);
    } catch (...) {
        // Out of memory on a hostile folder: what was read so far stands.
    }
    return painel;
}

}  // namespace frota
