#include "settings/configuracao.h"

#include "platform/text.h"

namespace settings {

namespace {

const char* const kDefaultSO = "WINDOWS";
const char* const kDefaultDLL = "fbclient.dll";
const char* const kDefaultPort = "3050";
const char* const kDefaultDLLFolder = "C:\\Arquivos de programas\\Firebird\\Firebird_2_1\\bin\\";

std::string connectionPrefix(const std::string& host, const std::string& port) {
    return (host.empty() ? std::string(kLoopbackHost) : host) + "/" + port;
}

// Only the exact upper-case word selects the Linux separator; every other spelling keeps "\".
std::string separatorFor(const std::string& operatingSystem) {
    return operatingSystem == "LINUX" ? "/" : "\\";
}

void deriveValues(TConfigInstalacao& c) {
    c.Conexao = connectionPrefix(c.Servidor, c.PORTACON);
    c.ConexaoTabDef = connectionPrefix(c.ServidorTabDef, c.PORTACON);
    c.RaizBaseDados = CortaAposTag(c.Caminho_Base_Dados);
    c.RaizTabDef = CortaAposTag(c.Caminho_TabDef);
    c.RaizServidor = CortaAposTag(c.Diretorio_Servidor);
    c.Separador = separatorFor(c.SO_Servidor);
    c.SeparadorTabDef = separatorFor(c.SO_ServidorTabDef);
}

}  // namespace

TConfigInstalacao LerConfiguracao(platform::System& system) {
    const std::string file = platform::folderPart(system.executablePath()) + kSettingsFileName;
    auto read = [&](const char* key, const std::string& defaultValue) {
        return system.profileString(file, kSettingsSection, key, defaultValue);
    };
    TConfigInstalacao c;
    c.Ano = read("Ano", "");
    c.Servidor = read("Servidor", "");
    c.ServidorTabDef = read("ServidorTabDef", c.Servidor);
    c.SO_Servidor = read("SO_Servidor", kDefaultSO);
    c.SO_ServidorTabDef = read("SO_ServidorTabDef", kDefaultSO);
    c.Caminho_Base_Dados = read("Caminho_Base_Dados", "");
    c.Caminho_TabDef = read("Caminho_TabDef", c.Caminho_Base_Dados);
    c.Diretorio_Servidor = read("Diretorio_Servidor", "");
    c.Diretorio_SSE = read("Diretorio_SSE", "");
    c.DLLCON = read("DLLCON", kDefaultDLL);
    c.PORTACON = read("PORTACON", kDefaultPort);
    c.CaminhoDLLCON = read("CaminhoDLLCON", kDefaultDLLFolder);
    deriveValues(c);
    return c;
}

std::string CortaAposTag(std::string_view path) {
    // The tag is ASCII and upper-casing touches ASCII only, so a byte-wise walk finds exactly the
    // character positions where the tag begins.
    std::string out;
    for (size_t at = 0; at < path.size(); ++at) {
        if (platform::upperAscii(path.substr(at, kProductTag.size())) == kProductTag) {
            out += kProductTag;
            return out;
        }
        out += path[at];
    }
    return out;
}

}  // namespace settings
