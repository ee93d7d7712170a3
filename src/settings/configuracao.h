// The suite's installation settings, read from qor.ini in the program folder, and the values
// derived from them. Read-only: nothing here ever writes the file.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace settings {

// The host name under which this machine reaches a database server running on it.
inline constexpr const char* kLoopbackHost = "localhost";
// The product tag: the base name of the main module and the name of the suite's program folder.
inline constexpr std::string_view kProductTag = "QOR7";
inline constexpr const char* kSettingsFileName = "qor.ini";
inline constexpr const char* kSettingsSection = "QOR";

struct TConfigInstalacao {
    // The twelve keys of section "QOR", in the order they are read.
    std::string Ano;
    std::string Servidor;
    std::string ServidorTabDef;
    std::string SO_Servidor;
    std::string SO_ServidorTabDef;
    std::string Caminho_Base_Dados;
    std::string Caminho_TabDef;
    std::string Diretorio_Servidor;
    std::string Diretorio_SSE;
    std::string DLLCON;
    std::string PORTACON;
    std::string CaminhoDLLCON;
    // Derived values.
    std::string Conexao;        // host/port of the database server
    std::string ConexaoTabDef;  // host/port of the table-definition server
    std::string RaizBaseDados;  // Caminho_Base_Dados up to the product tag
    std::string RaizTabDef;     // Caminho_TabDef up to the product tag
    std::string RaizServidor;   // Diretorio_Servidor up to the product tag
    std::string Separador;      // path separator of the database server
    std::string SeparadorTabDef;
};

// Reads qor.ini beside the running executable afresh, one key at a time. Never fails: whatever
// cannot be read takes its default.
TConfigInstalacao LerConfiguracao(platform::System& system);

// The path up to and including the first occurrence of the product tag (matched ignoring ASCII
// case, written in upper case); everything after it is dropped. Without the tag, unchanged.
std::string CortaAposTag(std::string_view path);

}  // namespace settings
