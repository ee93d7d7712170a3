// What the step back and the versions it holds back tell the user and the log, in Portuguese.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acervo/acervo.h"
#include "platform/platform.h"
#include "retorno/volta.h"

namespace retorno {

// The box that --voltar shows: what came back, what did not and why; lines end in "\r".
std::string TextoDaVolta(const Volta& volta);
// One log line per file of the step back.
std::vector<std::string> LinhasDaVolta(const Volta& volta);

// The files that a step back holds on their earlier version while the server still holds the
// version taken back (`noServidor` gives the server file of a name; none when it has none).
std::vector<std::string> ArquivosRetidos(
    const acervo::Acervo& acervo, const std::function<std::optional<platform::FileStamp>(const std::string&)>& noServidor);

// The report box's section that names them; empty when there are none.
std::string SecaoRetidos(const std::vector<std::string>& nomes);

}  // namespace retorno
