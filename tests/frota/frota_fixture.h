// A TERMINAIS folder in a real temporary folder, with records written as terminals write them
// and dated as the share would list them.
#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "frota/estado.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace frota_test {

// A terminal's state as the run leaves it: "normal" with exit status 0 unless changed.
frota::EstadoTerminal Estado(const std::string& maquina, frota::Situacao situacao = frota::Situacao::Normal,
                             int codigo = 0);

class PastaTerminais {
public:
    // Writes the record of `estado` under its own name, last written at `hora`; returns the name.
    std::string Grava(const frota::EstadoTerminal& estado, std::time_t hora);
    // Any bytes under any name, last written at `hora`.
    void GravaBytes(const std::string& nome, const std::string& bytes, std::time_t hora);
    std::string Pasta() const { return dir.folder(); }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
};

}  // namespace frota_test
