// A terminal checked by content, with local reads only: each file it should hold against the copy
// of the manifest of the publication it holds (or, without one, against what the record noted of
// each copy), by presence, size, time and bytes. Each byte of each file is read once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acervo/acervo.h"
#include "identidade/manifesto.h"
#include "platform/platform.h"

namespace verificacao {

// The copy of the held publication's manifest beside the program: the files this terminal took.
inline constexpr std::string_view kNomeManifestoLocal = "AtualizaTerminalQOR7.publicacao";

// What one file should be.
struct Referencia {
    std::string nome;                            // relative to the program folder
    platform::FileStamp stamp;                   // size and time
    platform::FileStamp servidor;                // the server's version it came from
    std::optional<identidade::Resumo> sha256;    // its bytes, where known
    std::optional<uint64_t> digest;              // else the record's fast digest, where known
};

struct Divergencia {
    std::string nome;
    bool falta = false, tamanho = false, hora = false, conteudo = false;
    const Referencia* referencia = nullptr;
};

struct Verificacao {
    std::optional<uint64_t> publicacao;  // the publication checked against; none: the record
    std::vector<Referencia> referencias;
    std::vector<Divergencia> divergencias;
    bool semReferencia = false;          // neither a manifest copy nor a record to check against
};

std::vector<Referencia> ReferenciasDoManifesto(const identidade::Manifesto& manifesto);
std::vector<Referencia> ReferenciasDoRegistro(const acervo::Acervo& registro);

// Against the manifest copy beside the program, else the record.
Verificacao Verifica(platform::FileSystem& files, const std::string& pastaPrograma);
// One file against its reference; none when it agrees.
std::optional<Divergencia> Confere(platform::FileSystem& files, const std::string& pastaPrograma, const Referencia& r);

// "NOME: falta" / "NOME: difere em tamanho, data, conteúdo".
std::string LinhaDe(const Divergencia& d);

}  // namespace verificacao
