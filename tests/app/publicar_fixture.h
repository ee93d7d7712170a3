// A build on disk for the publish tests: files with their contents, times and attributes, put
// into a folder as an administrator receives them, and the server folder checked against them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "identidade/manifesto.h"
#include "platform/dos_time.h"
#include "platform/platform.h"
#include "support/temp_dir.h"
#include "support/temp_dir.h"

namespace publicar_test {

struct Arquivo {
    std::string nome;  // relative, "/" between folders
    std::string conteudo;
    platform::LocalDateTime hora;
    bool somenteLeitura = false;
};
using Versao = std::vector<Arquivo>;

inline std::string Padrao(size_t tamanho, char semente) {
    std::string texto(tamanho, semente);
    for (size_t i = 0; i < tamanho; ++i) texto[i] = static_cast<char>(semente + i % 11);
    return texto;
}

// Writes every file of `versao` under `pasta` (replacing what is there) with its time and attributes.
inline void Grava(platform::FileSystem& files, const std::filesystem::path& pasta, const Versao& versao) {
    for (const Arquivo& a : versao) {
        const std::filesystem::path caminho = pasta / testing_support::pathFromUtf8(a.nome);
        const std::string utf8 = testing_support::utf8Of(caminho);
        std::filesystem::create_directories(caminho.parent_path());
        if (std::filesystem::exists(caminho)) {
            files.setAttributes(utf8, platform::attr::Archive);
            std::filesystem::remove(caminho);
        }
        {
            std::unique_ptr<platform::File> f = files.createExclusive(utf8);
            ASSERT_TRUE(f && f->write(a.conteudo.data(), static_cast<int64_t>(a.conteudo.size())) ==
                                 static_cast<int64_t>(a.conteudo.size()));
            ASSERT_TRUE(f->setLastWriteDos(*platform::packDosDateTime(a.hora)));
        }
        if (a.somenteLeitura) files.setAttributes(utf8, platform::attr::ReadOnly);
    }
}

inline std::string Le(const std::filesystem::path& caminho) {
    std::ifstream in(caminho, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether the server holds `versao`'s file whole, with its time.
inline bool Tem(platform::FileSystem& files, const std::filesystem::path& servidor, const Arquivo& a) {
    const std::filesystem::path caminho = servidor / testing_support::pathFromUtf8(a.nome);
    return std::filesystem::exists(caminho) && Le(caminho) == a.conteudo &&
           files.lastWriteDos(testing_support::utf8Of(caminho)) == platform::packDosDateTime(a.hora);
}

}  // namespace publicar_test
