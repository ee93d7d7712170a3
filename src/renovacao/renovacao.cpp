#include "renovacao/renovacao.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/temporary_names.h"
#include "renovacao/marca.h"

namespace renovacao {

namespace {

#ifdef _WIN32
constexpr std::string_view kExtensao = ".exe";
#else
constexpr std::string_view kExtensao = "";
#endif

std::string Nome(std::string_view meio) { return "AtualizaTerminalQOR7" + std::string(meio) + std::string(kExtensao); }

std::string Descreve(const Identidade& id) { return id.versao + " (compilação " + id.compilacao + ")"; }

Resultado Com(Desfecho desfecho, const std::string& texto) {
    static constexpr std::string_view kPalavra[] = {"", "tomada: ", "recusada: ", "falhou: "};
    return {desfecho, std::string(kPalavra[static_cast<int>(desfecho)]) + texto};
}

// A simulation that ran to its end: none of the failure path (1) or another run (8) in its status.
bool StatusBom(int codigo) { return codigo >= 0 && (codigo & ~(2 | 4 | 16)) == 0; }

std::string PrimeiraLinha(const std::string& texto) { return texto.substr(0, texto.find('\n')); }

class Passo {
public:
    Passo(Ambiente& a, const std::string& pastaServidor)
        : a_(a),
          candidato_(pastaServidor + std::string(kPastaAtualizador) + "\\" + NomeDoPrograma()),
          programa_(a.pastaPrograma + NomeDoPrograma()),
          novo_(a.pastaPrograma + NomeNovo()),
          memoria_(LeMemoria(a.files, a.pastaPrograma)) {}

    Resultado Executa() {
        const std::optional<platform::FileStamp> carimbo = a_.files.stampOf(candidato_);
        if (!carimbo || !a_.files.fileExists(candidato_)) return {};
        if (JaJulgado(*carimbo)) return {};
        const LeituraDaMarca lida = LeMarca(a_.files, candidato_);
        if (!lida.marca) return Recusa(*carimbo, "o arquivo " + candidato_ + " não é uma compilação deste atualizador: " + lida.motivo);
        const Identidade dela{lida.marca->versao, lida.marca->compilacao};
        if (dela == a_.nossa) {
            Lembra(*carimbo, "igual", "", {});
            return {};
        }
        if (!a_.files.copyFile(candidato_, novo_, false)) return Falha("a cópia de " + candidato_ + " para " + novo_ + " falhou");
        a_.files.copyPermissions(programa_, novo_);  // a share may not keep the executable bit
        const LeituraDaMarca copiada = LeMarca(a_.files, novo_);
        if (copiada.marca != lida.marca) {
            a_.files.deleteFile(novo_);
            return Falha("o arquivo mudou no servidor durante a cópia; a próxima execução tenta de novo");
        }
        if (std::string porque = Prova(dela); !porque.empty()) {
            a_.files.deleteFile(novo_);
            return Recusa(*carimbo, "versão " + Descreve(dela) + ": " + porque);
        }
        return Troca(*carimbo, dela);
    }

private:
    // The same file, judged by this same build (or taken, and this is the build it became).
    bool JaJulgado(const platform::FileStamp& carimbo) const {
        if (memoria_.candidato != carimbo) return false;
        if (memoria_.desfecho == "tomada") return memoria_.nova == a_.nossa;
        // Given back by --voltar: that file stays away, even while the give-back is unfinished.
        if (memoria_.desfecho == "retida") return true;
        return memoria_.nossa == a_.nossa;
    }

    std::string Prova(const Identidade& dela) {
        const platform::BoundedRun run = a_.processes.runBounded(novo_, {"--simular"}, a_.pastaPrograma, a_.segundos);
        if (!run.started) return "o programa não pôde ser iniciado";
        if (run.timedOut) return "--simular não terminou em " + std::to_string(static_cast<int>(a_.segundos)) + " s";
        if (!run.exitCode || !StatusBom(*run.exitCode))
            return "--simular terminou com o código " + (run.exitCode ? std::to_string(*run.exitCode) : std::string("anormal"));
        std::string linha = PrimeiraLinha(run.output);
        const std::string esperada = LinhaDeVersao(dela.versao, dela.compilacao);
        // The build id as the mark writes it, blanks and all.
        if (CompilacaoNaMarca(linha) != CompilacaoNaMarca(esperada))
            return "--simular não se apresentou como a versão que a marca promete (disse: \"" + linha.substr(0, 120) + "\")";
        return "";
    }

    Resultado Troca(const platform::FileStamp& carimbo, const Identidade& dela) {
        const std::string anterior = a_.pastaPrograma + NomeAnterior();
        // Exactly one previous updater: the running one, kept by a second name (or a copy).
        a_.files.deleteFile(anterior);
        if (!a_.files.linkFile(programa_, anterior) && !a_.files.copyFile(programa_, anterior, false)) {
            a_.files.deleteFile(novo_);
            return Falha("o atualizador atual não pôde ser guardado em " + anterior);
        }
        // Remembered first: a kill after the swap leaves a memory that names the build now running.
        Lembra(carimbo, "tomada", "", dela);
        // One rename where the system replaces a running program; elsewhere the copy waits for us.
        if (!a_.files.replaceFile(novo_, programa_)) {
            Resultado r = Com(Desfecho::Tomada, "versão " + Descreve(dela) + " assume o lugar da " + Descreve(a_.nossa) +
                                                    " quando esta execução terminar");
            r.assumir = true;
            return r;
        }
        return Com(Desfecho::Tomada, "versão " + Descreve(dela) + " no lugar da " + Descreve(a_.nossa) +
                                         "; vale a partir da próxima execução");
    }

    void Lembra(const platform::FileStamp& carimbo, const std::string& desfecho, const std::string& motivo,
                const Identidade& nova) {
        memoria_ = Memoria{carimbo, desfecho, motivo, a_.nossa, nova, desfecho == "tomada" ? a_.nossa : Identidade{}};
        GravaMemoria(a_.files, a_.pastaPrograma, memoria_);
    }
    Resultado Recusa(const platform::FileStamp& carimbo, const std::string& motivo) {
        Lembra(carimbo, "recusada", motivo, {});
        return Com(Desfecho::Recusada, motivo);
    }
    Resultado Falha(const std::string& motivo) { return Com(Desfecho::Falhou, motivo); }

    Ambiente& a_;
    const std::string candidato_, programa_, novo_;
    Memoria memoria_;
};

}  // namespace

std::string NomeDoPrograma() { return Nome(""); }
std::string NomeNovo() { return Nome(".novo"); }
std::string NomeAnterior() { return Nome(".anterior"); }
std::string NomeSaindo() { return Nome(".saindo"); }

std::string LinhaDeVersao(const std::string& versao, const std::string& compilacao) {
    return "AtualizaTerminalQOR7 versão " + versao + " (compilação " + compilacao + "): simulação, nada foi alterado";
}

std::string CompilacaoNaMarca(std::string compilacao) {
    std::replace(compilacao.begin(), compilacao.end(), ' ', '_');
    return compilacao;
}

void Arruma(Ambiente& a) {
    const std::string novo = a.pastaPrograma + NomeNovo();
    if (a.files.fileExists(novo)) a.files.deleteFile(novo);
    const std::string saindo = a.pastaPrograma + NomeSaindo();
    if (a.files.fileExists(saindo) && a.files.fileExists(a.pastaPrograma + NomeDoPrograma())) a.files.deleteFile(saindo);
    // A copy or a memory killed before its rename leaves its temporary ("~<name>.<hex>.tmp").
    for (const std::string& nome : {NomeNovo(), std::string(kNomeMemoria)}) {
        const std::string prefixo = "~" + nome + ".";
        for (const platform::DirEntry& e : a.files.find(a.pastaPrograma + prefixo + "*"))
            if (platform::IsTemporaryName(e.name) && e.name.starts_with(prefixo) && e.isFile())
                a.files.deleteFile(a.pastaPrograma + e.name);
    }
}

Resultado Renova(Ambiente& a, const std::string& pastaServidor) {
    Arruma(a);
    return Passo(a, pastaServidor).Executa();
}

namespace {

bool Vive(platform::Processes& processes, const platform::ProcessEntry& antigo) {
    for (const platform::ProcessEntry& e : processes.snapshot(platform::SnapshotKind::ProcessesOnly))
        if (e.pid == antigo.pid && e.started == antigo.started) return true;
    return false;
}

}  // namespace

Resultado Assume(Ambiente& a, const std::string& proprio, const platform::ProcessEntry& antigo, double segundos) {
    const Memoria memoria = LeMemoria(a.files, a.pastaPrograma);
    const std::string novo = a.pastaPrograma + NomeNovo();
    // Typed by hand, or a copy no run took: nothing to do.
    if (proprio != novo || memoria.desfecho != "tomada" || memoria.nova != a.nossa) return {};
    const auto prazo = std::chrono::steady_clock::now() + std::chrono::duration<double>(segundos);
    while (Vive(a.processes, antigo)) {
        if (std::chrono::steady_clock::now() >= prazo)
            return Com(Desfecho::Falhou, "a execução que tomou a versão " + Descreve(a.nossa) + " não terminou em " +
                                             std::to_string(static_cast<int>(segundos)) + " s; a próxima execução tenta de novo");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string programa = a.pastaPrograma + NomeDoPrograma();
    // Refused while a new start runs the old program: it stays, and that run tries again.
    if (!a.files.replaceFile(novo, programa))
        return Com(Desfecho::Falhou, "a versão " + Descreve(a.nossa) + " não pôde tomar o lugar de " + programa +
                                         " (o atualizador voltou a ser iniciado?); a próxima execução tenta de novo");
    return Com(Desfecho::Tomada, "versão " + Descreve(a.nossa) + " no lugar da " + Descreve(memoria.nossa));
}

Resultado Devolve(Ambiente& a) {
    Memoria memoria = LeMemoria(a.files, a.pastaPrograma);
    // "retida" while the build given back is still running: a give-back cut short, finished now.
    if ((memoria.desfecho != "tomada" && memoria.desfecho != "retida") || memoria.nova != a.nossa) return {};
    const std::string anterior = a.pastaPrograma + NomeAnterior();
    const LeituraDaMarca lida = LeMarca(a.files, anterior);
    if (!lida.marca || Identidade{lida.marca->versao, lida.marca->compilacao} != memoria.anterior)
        return Com(Desfecho::Falhou, "o atualizador anterior " + anterior + " não está mais como foi guardado");
    // The release given back stays away (retida) until ATUALIZADOR holds another file.
    Memoria retida = memoria;
    retida.desfecho = "retida";
    retida.nossa = memoria.anterior;
    if (!GravaMemoria(a.files, a.pastaPrograma, retida))
        return Com(Desfecho::Falhou, "a memória da renovação não pôde ser gravada; nada foi trocado");
    const std::string programa = a.pastaPrograma + NomeDoPrograma(), novo = a.pastaPrograma + NomeNovo();
    // The previous updater keeps its name until the swap: a copy on trial takes the swap's place.
    a.files.deleteFile(novo);
    if (!a.files.linkFile(anterior, novo) && !a.files.copyFile(anterior, novo, false)) {
        GravaMemoria(a.files, a.pastaPrograma, memoria);
        return Com(Desfecho::Falhou, "o atualizador anterior não pôde ser preparado");
    }
    bool trocou = a.files.replaceFile(novo, programa);
    if (!trocou) {
        const std::string saindo = a.pastaPrograma + NomeSaindo();
        a.files.deleteFile(saindo);
        if (a.files.moveFile(programa, saindo)) {
            trocou = a.files.moveFile(novo, programa);
            if (!trocou) a.files.moveFile(saindo, programa);
            else a.files.deleteFile(saindo);
        }
    }
    if (!trocou) {
        a.files.deleteFile(novo);
        GravaMemoria(a.files, a.pastaPrograma, memoria);
        return Com(Desfecho::Falhou, "o atualizador anterior não pôde voltar ao lugar de " + programa);
    }
    return Com(Desfecho::Tomada, "de volta à versão " + Descreve(memoria.anterior) + " (--voltar); a versão " +
                                     Descreve(memoria.nova) + " não volta até a pasta " + std::string(kPastaAtualizador) +
                                     " ter outro arquivo");
}

}  // namespace renovacao
