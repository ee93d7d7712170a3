// The old-version clean-up deletes packages that a copy of the same run then brings back in the
// server's version: through this layer each file it deletes from the program folder is kept
// first, so that such a copy replaces a version that a step back can restore.
#pragma once

#include <memory>
#include <string>

#include "platform/forwarding_file_system.h"
#include "retorno/guarda.h"

namespace retorno {

class ApagaGuardando : public platform::ForwardingFileSystem {
public:
    ApagaGuardando(std::shared_ptr<platform::FileSystem> inner, Guarda& guarda, std::string pastaPrograma)
        : ForwardingFileSystem(std::move(inner)), guarda_(guarda), pasta_(std::move(pastaPrograma)) {}

    bool deleteFile(const std::string& path) override {
        if (!path.starts_with(pasta_)) return ForwardingFileSystem::deleteFile(path);
        const std::string nome = path.substr(pasta_.size());
        guarda_.Prepara(nome);
        const bool apagado = ForwardingFileSystem::deleteFile(path);
        if (apagado) guarda_.Apagado(nome);
        else guarda_.Conclui(nome, false);
        return apagado;
    }

private:
    Guarda& guarda_;
    std::string pasta_;
};

}  // namespace retorno
