// Where the publication's manifest names a server file with the size and time it has, the
// manifest's SHA-256 says what the terminal's copy must hold.
#pragma once

#include <string>

#include "acervo/acervo.h"
#include "app/listagens.h"
#include "platform/platform.h"

namespace app {

// Whether the terminal's file, which the record says came from the server version `servidor`,
// holds the bytes the manifest gives that version. True where no manifest describes it, or the
// record does not speak for the file (a version a step back holds is not the digest's to judge).
// A digest the record lacks is taken once, with local reads, and kept in the record.
bool ConfereComManifesto(Listagens& pastas, acervo::Acervo& registro, const std::string& nome,
                         const platform::FileStamp& servidor, const std::string& caminhoLocal);

}  // namespace app
