// --simular: the run's own decisions over a machine that only pretends to change. Deletions and
// ended modules are pretended (the later decisions see them gone, as the run would); every other
// change is refused and named, so that nothing a simulation does can reach a disk or a process.
#include "app/simulacao.h"

#include <algorithm>
#include <set>

#include "acervo/arquivo.h"
#include "app/ajuda.h"
#include "app/catalogue.h"
#include "app/exit_status.h"
#include "app/listagens.h"
#include "platform/forwarding_file_system.h"
#include "platform/text.h"
#include "process/cleanup.h"
#include "process/modules.h"
#include "renovacao/renovacao.h"
#include "retorno/nomes.h"
#include "settings/retorna_caminho.h"

namespace app {

namespace {

std::string Chave(const std::string& caminho) {
    std::string chave = platform::upperAscii(caminho);
    std::replace(chave.begin(), chave.end(), '/', '\\');
    return chave;
}

// Reads pass through; a deletion only hides the file from what follows; a folder "created" is
// only noted; any other change is refused and noted.
class ArquivosSemEscrita : public platform::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    std::vector<std::string> apagados, pastasCriadas, recusados;

    std::vector<platform::DirEntry> find(const std::string& pattern) override {
        return SemApagados(platform::folderPart(pattern), ForwardingFileSystem::find(pattern));
    }
    std::optional<std::vector<platform::DirEntry>> listFolder(const std::string& folder) override {
        auto lista = ForwardingFileSystem::listFolder(folder);
        if (lista) *lista = SemApagados(folder, std::move(*lista));
        return lista;
    }
    std::optional<uint32_t> attributes(const std::string& path) override {
        return Apagado(path) ? std::nullopt : ForwardingFileSystem::attributes(path);
    }
    bool fileExists(const std::string& path) override { return !Apagado(path) && ForwardingFileSystem::fileExists(path); }
    std::optional<uint32_t> lastWriteDos(const std::string& path) override {
        return Apagado(path) ? std::nullopt : ForwardingFileSystem::lastWriteDos(path);
    }
    std::optional<uint64_t> fileSize(const std::string& path) override {
        return Apagado(path) ? std::nullopt : ForwardingFileSystem::fileSize(path);
    }
    std::optional<platform::FileStamp> stampOf(const std::string& path) override {
        return Apagado(path) ? std::nullopt : ForwardingFileSystem::stampOf(path);
    }
    std::unique_ptr<platform::File> openRead(const std::string& path) override {
        return Apagado(path) ? nullptr : ForwardingFileSystem::openRead(path);
    }

    bool deleteFile(const std::string& path) override {
        const std::optional<uint32_t> atributos = attributes(path);
        // Refused as the real call refuses them: a read-only file, a folder, nothing there.
        if (!atributos || (*atributos & (platform::attr::ReadOnly | platform::attr::Directory))) return false;
        apagados.push_back(path);
        chavesApagadas_.insert(Chave(path));
        return true;
    }
    bool createDirectory(const std::string& path) override {
        pastasCriadas.push_back(path);
        return true;
    }
    bool setAttributes(const std::string& path, uint32_t) override { return Recusa(path); }
    bool moveFile(const std::string& from, const std::string&) override { return Recusa(from); }
    bool replaceFile(const std::string& from, const std::string&) override { return Recusa(from); }
    bool copyFile(const std::string&, const std::string& to, bool) override { return Recusa(to); }
    bool linkFile(const std::string&, const std::string& link) override { return Recusa(link); }
    bool copyPermissions(const std::string&, const std::string& to) override { return Recusa(to); }
    std::unique_ptr<platform::File> createExclusive(const std::string& path) override {
        Recusa(path);
        return nullptr;
    }
    bool appendToFile(const std::string& path, std::string_view) override { return Recusa(path); }
    platform::LockResult lockExclusive(const std::string& path) override {
        Recusa(path);
        return {};
    }

private:
    bool Apagado(const std::string& path) const { return chavesApagadas_.count(Chave(path)) > 0; }
    bool Recusa(const std::string& path) {
        recusados.push_back(path);
        return false;
    }
    std::vector<platform::DirEntry> SemApagados(const std::string& pasta, std::vector<platform::DirEntry> lista) const {
        if (chavesApagadas_.empty()) return lista;
        const std::string prefixo = pasta;  // with its trailing separator
        std::erase_if(lista, [&](const platform::DirEntry& e) { return Apagado(prefixo + e.name); });
        return lista;
    }
    std::set<std::string> chavesApagadas_;
};

// The process list as it is; a module "ended" is only left out of the lists that follow.
class ProcessosSemEncerrar : public platform::Processes {
public:
    explicit ProcessosSemEncerrar(std::shared_ptr<platform::Processes> inner) : inner_(std::move(inner)) {}
    std::vector<platform::ProcessEntry> encerrados;

    std::vector<platform::ProcessEntry> snapshot(platform::SnapshotKind kind) override {
        std::vector<platform::ProcessEntry> lista = inner_->snapshot(kind);
        std::erase_if(lista, [this](const platform::ProcessEntry& p) {
            return std::any_of(encerrados.begin(), encerrados.end(), [&](const platform::ProcessEntry& e) {
                return e.pid == p.pid && e.started == p.started;
            });
        });
        return lista;
    }
    bool terminate(const platform::ProcessEntry& process) override {
        encerrados.push_back(process);
        return true;
    }
    std::optional<uint32_t> currentOwner() override { return inner_->currentOwner(); }

private:
    std::shared_ptr<platform::Processes> inner_;
};

// Starts nothing; a simulation never reaches it, and would start nothing if it did.
class ShellSemIniciar : public platform::Shell {
public:
    intptr_t execute(void*, const std::string&, const std::string&, const std::string&, const std::string&, int) override {
        return 5;
    }
};

class Simulacao {
public:
    Simulacao(const platform::Platform& real, bool frenteDeCaixa)
        : arquivos_(std::make_shared<ArquivosSemEscrita>(real.files)),
          processos_(std::make_shared<ProcessosSemEncerrar>(real.processes)),
          vista_{arquivos_, processos_, std::make_shared<ShellSemIniciar>(), real.system},
          frenteDeCaixa_(frenteDeCaixa),
          pastaPrograma_(platform::folderPart(real.system->executablePath())),
          pastas_(*arquivos_) {}

    ResultadoSimulacao Executa() {
        Linha(LinhaDeVersaoSimulada(Versao(), Compilacao()));
        Linha("pasta de programas: " + platform::pathForDisplay(pastaPrograma_));
        FechaModulos();
        try {
            RegiaoProtegida();
        } catch (const std::exception& erro) {
            CaminhoDeFalha(erro.what());
        } catch (...) {
            CaminhoDeFalha("erro desconhecido");
        }
        for (const std::string& p : arquivos_->pastasCriadas) Linha("criaria a pasta: " + platform::pathForDisplay(p));
        for (const std::string& p : arquivos_->recusados) Linha("não feito (a simulação não altera nada): " + platform::pathForDisplay(p));
        Linha("código de saída: " + std::to_string(codigo_) + " (" + SignificadoDoCodigo(codigo_) + ")");
        return {texto_, codigo_};
    }

private:
    void Linha(const std::string& linha) { texto_ += linha + "\n"; }

    void FechaModulos() {
        for (int passada = 0; passada <= 500; ++passada) {
            uintptr_t naoUsado = 0;
            const std::string modulo = process::VerModuloAberto(*processos_, "", naoUsado, servidorAberto_);
            if (platform::trimBlanks(modulo).empty()) break;
            process::KillTask(*processos_, modulo);
        }
        for (const platform::ProcessEntry& p : processos_->encerrados)
            Linha("encerraria: " + p.exeName + " (processo " + std::to_string(p.pid) + ")");
    }

    void RegiaoProtegida() {
        pastaServidor_ = settings::RetornaCaminho(vista_, "EXE");
        Linha("pasta de programas do servidor: " + platform::pathForDisplay(pastaServidor_));
        const std::string catalogo = settings::RetornaCaminho(vista_, "TD") + std::string(kCatalogo);
        std::vector<std::string> linhas = CarregaCatalogo(*arquivos_, *vista_.system, catalogo);
        Linha("catálogo " + platform::pathForDisplay(catalogo) + ": " + std::to_string(linhas.size()) + " linhas");
        acervo_ = acervo::Le(*arquivos_, pastaPrograma_);
        Limpeza(NomesDoCatalogo(linhas));
        for (const char* mask : {"*.BPL", "*.DLL"})
            for (std::string& nome : VarreServidor(*arquivos_, pastas_, acervo_, pastaServidor_, pastaPrograma_, mask))
                linhas.push_back(std::move(nome));
        if (linhas.empty())
            Linha("mostraria: Atenção o Arquivo: " + platform::pathForDisplay(catalogo) +
                  " não foi carregado, favor atualizar o TABDEF.");
        Percorre(linhas);
        Linha(std::to_string(copias_) + " arquivo(s) copiado(s), " + std::to_string(bytes_) + " bytes");
        Inicia();
    }

    void Limpeza(const std::set<std::string>& catalogo) {
        if (!process::ServidorPodeRepor(*arquivos_, pastaServidor_, pastaPrograma_)) {
            Linha("limpeza de versões antigas não seria feita: a pasta do servidor não as poderia repor");
            return;
        }
        process::ApagaAntigos(
            *arquivos_, pastaPrograma_,
            [this](const std::string& texto) { Linha("mostraria: " + platform::pathForDisplay(texto)); },
            [&](const std::string& caminho, const platform::DirEntry& entrada) {
                return MantemVersaoDoServidor(*arquivos_, pastas_, acervo_, pastaServidor_, pastaPrograma_, catalogo,
                                              caminho, entrada);
            });
        for (const std::string& p : arquivos_->apagados) Linha("apagaria: " + platform::pathForDisplay(p));
        pastas_.Esquece(pastaPrograma_);
    }

    void Percorre(const std::vector<std::string>& linhas) {
        for (size_t i = 0; i < linhas.size(); ++i) {
            const LinhaDoCatalogo linha = ClassificaLinha(linhas[i]);
            if (NaListaDePulo(linha.nome) || !NomeSeguro(linha.nome) || retorno::NomeReservado(linha.nome)) continue;
            // A name that stands twice is copied once: after its copy the terminal holds it.
            if (copiados_.count(acervo::Chave(linha.nome))) continue;
            const Decisao decisao = DecideCopia(pastas_, acervo_, linha.nome, pastaServidor_, pastaPrograma_);
            if (!decisao.servidorLido) {
                codigo_ |= SaidaServidorNaoResponde;
                Linha("a pasta de programas do servidor não pôde ser lida: as linhas a partir de " + std::to_string(i + 1) +
                      " (" + platform::pathForDisplay(linha.nome) + ") não seriam conferidas");
                return;
            }
            if (!decisao.copiar) continue;
            copiados_.insert(acervo::Chave(linha.nome));
            const uint64_t tamanho = arquivos_->fileSize(pastaServidor_ + linha.nome).value_or(0);
            ++copias_;
            bytes_ += tamanho;
            Linha("copiaria: " + platform::pathForDisplay(pastaServidor_ + linha.nome) + " -> " +
                  platform::pathForDisplay(pastaPrograma_ + linha.nome) + " (" + std::to_string(tamanho) + " bytes)");
        }
    }

    void Inicia() {
        ReiniciaServidor();
        IniciaModulo(frenteDeCaixa_ ? "HALDENMOR7.exe" : "QOR7.exe");
    }
    void ReiniciaServidor() {
        if (servidorAberto_) IniciaModulo(std::string(process::ServidorQor));
    }
    // A program that will not be in the program folder cannot be started: the run would add 4.
    void IniciaModulo(const std::string& arquivo) {
        const bool presente = copiados_.count(acervo::Chave(arquivo)) || arquivos_->fileExists(pastaPrograma_ + arquivo);
        if (!presente) codigo_ |= SaidaLancamentoFalhou;
        Linha("iniciaria: " + arquivo + (presente ? "" : " (não está na pasta de programas: não iniciaria)"));
    }

    void CaminhoDeFalha(const std::string& motivo) {
        codigo_ |= SaidaCaminhoDeFalha;
        Linha("falharia: " + platform::pathForDisplay(motivo));
        ReiniciaServidor();
        IniciaModulo("QOR7.exe");
    }

    std::shared_ptr<ArquivosSemEscrita> arquivos_;
    std::shared_ptr<ProcessosSemEncerrar> processos_;
    platform::Platform vista_;
    bool frenteDeCaixa_;
    std::string pastaPrograma_, pastaServidor_;
    Listagens pastas_;
    acervo::Acervo acervo_;
    bool servidorAberto_ = false;
    std::set<std::string> copiados_;
    size_t copias_ = 0;
    uint64_t bytes_ = 0;
    int codigo_ = SaidaNormal;
    std::string texto_;
};

}  // namespace

std::string LinhaDeVersaoSimulada(const std::string& versao, const std::string& compilacao) {
    return renovacao::LinhaDeVersao(versao, compilacao);
}

std::optional<ResultadoSimulacao> ComandoSimular(const std::vector<std::string>& argumentos,
                                                 const platform::Platform& plataforma) {
    std::vector<std::string> outros;
    bool pedido = false;
    for (size_t i = 1; i < argumentos.size(); ++i) {
        if (argumentos[i] == kComandoSimular) pedido = true;
        else if (argumentos[i] != "--voltar") outros.push_back(argumentos[i]);
    }
    if (!pedido) return std::nullopt;
    return Simulacao(plataforma, !outros.empty() && outros[0] == "F").Executa();
}

}  // namespace app
