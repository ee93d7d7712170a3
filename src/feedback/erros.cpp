#include "feedback/erros.h"

#include <array>
#include <exception>
#include <string_view>

#include "platform/text.h"

namespace feedback {

namespace {

constexpr std::array<std::string_view, 13> kTextos = {
    "Nenhum arquivo atende à esta especificação:\r",
    "Diversos arquivos de origem para o mesmo arquivo de destino.",
    "O arquivo de origem é o arquivo de destino.",
    "Diretório de destino não existe e não pode ser criado.",
    "Erro na abertura do arquivo de origem.",
    "Erro na criação do arquivo de destino.",
    "Erro durante a gravação do arquivo de destino.",
    "Não há espaço suficiente para copiar o arquivo:\r",
    "Erro ao renomear arquivo.",
    "Não é possível renomear porque o diretório de destino é diferente.",
    "O arquivo de destino já existe.",
    "Erro ao deletar arquivo.",
    "Erro ao mover arquivo.",
};

constexpr const char* kSegundaCopiaFalhou = "A segunda cópia também falhou.";

// Both separators the same and letters in one case: two spellings of one path compare equal.
std::string Comparable(const std::string& path) {
    std::string out = platform::upperAscii(path);
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

}  // namespace

std::string TextoErro(int error, const std::string& source, const std::string& destPath,
                      const std::string& destName) {
    if (error < 0 || error >= static_cast<int>(kTextos.size())) return "Erro Desconhecido ao Tentar Copiar";
    std::string text(kTextos[static_cast<size_t>(error)]);
    if (error == fileops::feInvalidSource) text += source;
    if (error == fileops::feNoSpace) text += destPath + destName;
    return text;
}

void MostraErroECopiaDeNovo(ControlesErro c, const std::string& texto, const std::function<void()>& processMessages,
                            const std::function<bool()>& fallback) {
    c.lErroM1.Visible = true;
    c.IErro.Visible = true;
    c.lErroM2.Visible = false;  // a second method's line belongs to an earlier file
    c.lErroM1.Caption = "Método 01 (" + texto + ")";
    // A text of two lines (a sentence, then the file) takes the second line's place while it is free.
    const int umaLinha = c.lErroM2.Height, duasLinhas = c.lErroM2.Top + c.lErroM2.Height - c.lErroM1.Top;
    c.lErroM1.Height = texto.find('\r') == std::string::npos ? umaLinha : duasLinhas;
    processMessages();
    // The reason stays in sight for as long as the second copy blocks the window.
    c.Label3.Caption = "Aguarde .....";
    processMessages();
    std::string falha;
    try {
        if (fallback()) {
            c.lErroM1.Visible = false;
            c.IErro.Visible = false;
            return;
        }
        falha = kSegundaCopiaFalhou;
    } catch (const std::exception& error) {
        falha = error.what();
    }
    c.lErroM1.Height = umaLinha;
    c.lErroM2.Visible = true;
    c.lErroM2.Caption = "Método 02 (" + falha + ")";
    processMessages();
}

bool CopiaAlternativa(platform::FileSystem& files, const std::string& ArqOrigem, const std::string& ArqDestino) {
    // Deleting first would lose the only copy when both name the same file, and the terminal's
    // module whenever the copy then fails; the platform copy replaces the file only when complete.
    if (Comparable(ArqOrigem) == Comparable(ArqDestino)) return true;  // it is the server's file
    return files.copyFile(ArqOrigem, ArqDestino, false);
}

}  // namespace feedback
