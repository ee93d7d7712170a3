#include "app/ajuda.h"

#include "app/exit_status.h"
#include "app/publicar.h"
#include "app/verificar.h"
#include "app/run_log.h"
#include "platform/text.h"
#include "retorno/nomes.h"

namespace app {

namespace {

bool PedeAjuda(const std::string& argumento) {
    return argumento == "--help" || argumento == "-h" || (platform::kColonIsDriveDelimiter && argumento == "/?");
}

std::string TextoAjuda(const std::string& pastaPrograma) {
    const std::string ajuda = platform::kColonIsDriveDelimiter ? "--help, -h, /?" : "--help, -h    ";
    return "Uso: AtualizaTerminalQOR7 [F] [design]\n"
           "     AtualizaTerminalQOR7 --voltar [F]\n"
           "     AtualizaTerminalQOR7 --simular [F]\n"
           "     AtualizaTerminalQOR7 --terminais [PASTA] [--horas N]\n"
           "     AtualizaTerminalQOR7 --publicar ORIGEM [DESTINO]\n"
           "     AtualizaTerminalQOR7 --verificar | --reparar\n"
           "\n"
           "Atualiza os programas deste terminal a partir da pasta de programas do servidor\n"
           "(indicada no qor.ini ao lado do programa): encerra os módulos abertos, copia o que\n"
           "falta ou está mais antigo e inicia o módulo principal (QOR7.exe).\n"
           "\n"
           "Argumentos:\n"
           "  F                 ao final, inicia o HALDENMOR7.exe em vez do QOR7.exe\n"
           "  design (2.º)      mostra antes a janela Informações dos Pacotes\n"
           "  " + ajuda + "    mostra esta ajuda e sai, sem tocar em nada\n"
           "  --version         mostra a versão e sai, sem tocar em nada\n"
           "\n"
           "Simular (--simular):\n"
           "  Lê o qor.ini, o catálogo e as pastas do servidor, decide cada linha como uma\n"
           "  atualização e mostra o que ela encerraria, apagaria, copiaria e iniciaria, com\n"
           "  o código de saída que ela teria. Não altera nada: não grava registro, não\n"
           "  encerra nem inicia programas, e pode rodar durante uma atualização.\n"
           "\n"
           "Nova versão do atualizador:\n"
           "  Ponha o programa na pasta ATUALIZADOR da pasta de programas do servidor: cada\n"
           "  terminal confere a marca da compilação, testa-o com --simular e o põe no lugar\n"
           "  do atualizador (o antigo fica como AtualizaTerminalQOR7.anterior); vale a partir\n"
           "  da execução seguinte. Uma versão anterior posta ali também chega aos terminais.\n"
           "\n"
           "Voltar à versão anterior (--voltar):\n"
           "  Cada atualização guarda a versão que substituiu de cada arquivo, na pasta\n"
           "  " + std::string(retorno::kPastaAnteriores) + " ao lado do programa (só a última).\n"
           "  --voltar fecha os módulos, devolve a versão anterior de cada arquivo que a\n"
           "  última atualização trocou (com a data que tinha), mostra o que voltou e inicia\n"
           "  o módulo principal (com F, o HALDENMOR7.exe). Não precisa do servidor. As\n"
           "  próximas atualizações não trazem de novo a versão desfeita; trazem o arquivo\n"
           "  assim que o servidor tiver outra versão dele.\n"
           "  Código de saída de --voltar (somados quando mais de um ocorre):\n" +
           DescricaoCodigosVoltar() +
           "\n"
           "Estado de todos os terminais (para o administrador):\n"
           "  Crie a pasta TERMINAIS na pasta de programas do servidor: cada execução deixa\n"
           "  ali um registro deste terminal (nome da máquina, início e fim, resultado, o que\n"
           "  ficou atrás do servidor). --terminais lê todos, mostra uma tabela (o pior\n"
           "  primeiro) e grava index.html nessa pasta, para abrir em qualquer navegador.\n"
           "  PASTA              outra pasta de registros (padrão: <servidor>\\TERMINAIS)\n"
           "  --horas N          silencioso: sem notícias há mais de N horas (padrão 24)\n"
           "  Um arquivo terminais-esperados.txt nessa pasta (o nome de uma máquina por\n"
           "  linha) faz aparecer como \"nunca visto\" quem nunca deixou registro.\n"
           "  Código de saída de --terminais:\n" +
           DescricaoCodigosTerminais() +
           "\n"
           "Publicar uma versão nova (--publicar, para o administrador):\n"
           "  Copia para DESTINO (padrão: a pasta de programas do servidor do qor.ini) o que\n"
           "  difere em ORIGEM (a pasta da versão, com TABDEF\\MODULOS.DAT), cada arquivo com\n"
           "  outro nome e depois renomeado, o catálogo por último, e grava o manifesto\n"
           "  (número da publicação e SHA-256 de cada arquivo). Enquanto publica, os terminais\n"
           "  não copiam nada dessa versão. Interrompido, rode de novo: ele termina.\n"
           "  Código de saída de --publicar:\n" +
           DescricaoCodigosPublicar() +
           "\n"
           "Conferir este terminal (--verificar, --reparar):\n"
           "  --verificar confere cada arquivo com a publicação que o terminal tem (tamanho,\n"
           "  data e conteúdo), só com leituras locais, e mostra uma linha por arquivo que\n"
           "  difere. --reparar copia de novo do servidor exatamente esses arquivos e confere\n"
           "  cada um instalado. Só fecham os módulos se precisarem trocar um arquivo.\n"
           "  Código de saída de --verificar e --reparar:\n" +
           DescricaoCodigosVerificar() +
           "\n"
           "Variáveis de ambiente:\n"
           "  ATUALIZA_UI=headless   sem janelas: as mensagens vão para a saída padrão\n"
           "  ATUALIZA_UI=gui        sempre com janelas\n"
           "  ATUALIZA_CONFIRM=yes   sem janelas, responde Sim às perguntas\n"
           "  ATUALIZA_PROVA_SEGUNDOS=N  prazo do --simular de uma nova versão do atualizador\n"
           "                         (padrão 60)\n"
           "\n"
           "Código de saída da atualização (somados quando mais de um ocorre):\n" +
           DescricaoCodigosDeSaida() +
           "\n"
           "Registro de cada execução: " + platform::pathForDisplay(pastaPrograma) + std::string(kNomeLog) + "\n"
           "(ao passar de 1 MiB, o registro antigo passa para " + std::string(kNomeLogAnterior) + ")\n";
}

}  // namespace

std::optional<std::string> TextoInformativo(const std::vector<std::string>& argumentos,
                                            const std::string& pastaPrograma) {
    for (size_t i = 1; i < argumentos.size(); ++i) {
        if (PedeAjuda(argumentos[i])) return TextoAjuda(pastaPrograma);
        if (argumentos[i] == "--version")
            return "AtualizaTerminalQOR7 versão " + Versao() + " (compilação " + Compilacao() + ")\n";
    }
    return std::nullopt;
}

}  // namespace app
