#include "app/publicar.h"

#include <algorithm>
#include <chrono>
#include <functional>

#include "app/run_log.h"
#include "app/run_state.h"
#include "feedback/numeros.h"
#include "platform/text.h"
#include "publicacao/publica.h"
#include "settings/retorna_caminho.h"

namespace app {

namespace {

constexpr const char* kComando = "--publicar";
constexpr const char* kUso = "Uso: AtualizaTerminalQOR7 --publicar ORIGEM [DESTINO]\n";

std::string Bytes(uint64_t n) { return feedback::FormataMilhar(static_cast<int64_t>(n), ".") + " bytes"; }

// Progress for whoever watches the console: each file as it starts, and the bytes at most
// twice a second.
class Andamento {
public:
    void operator()(const publicacao::Progresso& p) {
        const auto agora = std::chrono::steady_clock::now();
        const bool outro = p.nome != nome_;
        if (!outro && p.bytes != p.totalBytes && agora - ultimo_ < std::chrono::milliseconds(500)) return;
        ultimo_ = agora;
        nome_ = p.nome;
        const std::string linha = "[" + std::to_string(std::min(p.arquivo + 1, p.arquivos)) + "/" +
                                  std::to_string(p.arquivos) + "] " + platform::pathForDisplay(p.nome) + "  " +
                                  Bytes(p.bytes) + " de " + Bytes(p.totalBytes) + "\n";
        if (linha != linha_) platform::writeToConsole(linha);
        linha_ = linha;
    }

private:
    std::string nome_, linha_;
    std::chrono::steady_clock::time_point ultimo_{};
};

int Codigo(publicacao::Desfecho d) {
    switch (d) {
        case publicacao::Desfecho::Publicada:
        case publicacao::Desfecho::JaPublicada: return PublicarFeito;
        case publicacao::Desfecho::OutraEmAndamento: return PublicarOutraEmAndamento;
        case publicacao::Desfecho::PedidoInvalido: return PublicarUsoInvalido;
        case publicacao::Desfecho::Falhou: break;
    }
    return PublicarFalhou;
}

std::string Resumo(const publicacao::Resultado& r) {
    switch (r.desfecho) {
        case publicacao::Desfecho::Publicada:
            return "Publicação " + std::to_string(r.numero) + " concluída: " + std::to_string(r.copiados) + " de " +
                   std::to_string(r.arquivos) + " arquivos copiados (" + Bytes(r.bytesCopiados) + ").\n";
        case publicacao::Desfecho::JaPublicada:
            return "Nada a publicar: o servidor já serve esta versão (publicação " + std::to_string(r.numero) + ").\n";
        default: break;
    }
    std::string texto = "Publicação NÃO concluída: " + r.motivo + ".\n";
    for (const std::string& f : r.falhas) texto += "  não publicado: " + platform::pathForDisplay(f) + "\n";
    if (r.desfecho == publicacao::Desfecho::Falhou)
        texto += "Os terminais continuam com a versão que têm até a publicação terminar.\n";
    return texto;
}

}  // namespace

std::string DescricaoCodigosPublicar() {
    return "    0  publicada (ou o servidor já servia esta versão)\n"
           "    1  algum arquivo ou o manifesto não pôde ser gravado: rode de novo\n"
           "    2  outra publicação está em andamento neste servidor: nada foi feito\n"
           "    3  linha de comando, pasta da versão ou pasta do servidor inválida\n";
}

std::optional<ResultadoPublicar> ComandoPublicar(const std::vector<std::string>& argumentos,
                                                 const platform::Platform& plataforma) {
    std::vector<std::string> pastas;
    bool pedido = false;
    for (size_t i = 1; i < argumentos.size(); ++i) {
        if (argumentos[i] == kComando) pedido = true;
        else pastas.push_back(argumentos[i]);
    }
    if (!pedido) return std::nullopt;
    if (pastas.empty() || pastas.size() > 2 || pastas[0].empty() || pastas[0].starts_with("--") ||
        (pastas.size() == 2 && (pastas[1].empty() || pastas[1].starts_with("--"))))
        return ResultadoPublicar{kUso, PublicarUsoInvalido};
    std::string destino;
    if (pastas.size() == 2) {
        destino = pastas[1];
    } else {
        try {
            destino = settings::RetornaCaminho(plataforma, "EXE");
        } catch (const std::exception& erro) {
            return ResultadoPublicar{"Sem DESTINO, e a pasta de programas do servidor não pôde ser lida do qor.ini: " +
                                         std::string(erro.what()) + "\n" + kUso, PublicarUsoInvalido};
        }
    }
    const std::string pastaPrograma = platform::folderPart(plataforma.system->executablePath());
    RegistroExecucao registro(plataforma.files, pastaPrograma);
    GuardaArgumentos(argumentos);  // the log's start entry names them
    RegistraInicio(registro);
    Andamento andamento;
    const publicacao::Resultado r = publicacao::Publica(
        *plataforma.files, {pastas[0], destino, plataforma.system->machineName().value_or("")},
        {std::ref(andamento), [&registro](const std::string& linha) { registro.Escreve(linha); }});
    const std::string resumo = Resumo(r);
    registro.Escreve("fim da publicação: " + resumo);
    return ResultadoPublicar{resumo, Codigo(r.desfecho)};
}

}  // namespace app
