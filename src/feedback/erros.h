// What the splash window does when a copy reports an error: it names the error, then copies the
// file a second way, through one platform call.
#pragma once

#include <functional>
#include <string>

#include "fileops/fx_file_types.h"
#include "platform/platform.h"
#include "ui/controls.h"

namespace feedback {

// The text for an error value; feInvalidSource appends `source`, feNoSpace the destination's
// folder and name. A value outside the table gives "Erro Desconhecido ao Tentar Copiar".
std::string TextoErro(int error, const std::string& source, const std::string& destPath,
                      const std::string& destName);

// The controls that show a copy error.
struct ControlesErro {
    ui::TImage& IErro;
    ui::TLabel& lErroM1;
    ui::TLabel& lErroM2;
    ui::TLabel& Label3;
};

// Shows "Método 01 (<texto>)" with the icon, then "Aguarde ....." beside it, and runs `fallback`.
// When it copies the file the error line and the icon go; when it fails (false, or a standard
// exception) "Método 02 (<why>)" joins them and both stay. Anything else passes on.
// `processMessages` lets the window repaint.
void MostraErroECopiaDeNovo(ControlesErro controles, const std::string& texto,
                            const std::function<void()>& processMessages, const std::function<bool()>& fallback);

// The second way of copying: the platform's one-call copy over the destination. It writes a
// temporary file and moves it into place, so a failed attempt leaves the old file as it was.
// Origin and destination naming the same file leave it alone. True when the destination now holds the origin's content.
bool CopiaAlternativa(platform::FileSystem& files, const std::string& ArqOrigem, const std::string& ArqDestino);

}  // namespace feedback
