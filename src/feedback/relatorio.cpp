#include "feedback/relatorio.h"

#include "feedback/numeros.h"
#include "platform/text.h"

namespace feedback {

bool EhModuloExecutavel(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && platform::upperAscii(name.substr(dot)) == ".EXE";
}

std::string LinhaRelatorio(const std::string& name, int64_t sizeInBytes, const std::string& separator) {
    return CompletaDireita("  Arquivo: " + name, ' ', 30) + " -  Tamanho: " +
           FormataMilhar(Kilobytes(sizeInBytes), separator) + " Kb" + "\r";
}

}  // namespace feedback
