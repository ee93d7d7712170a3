#include "settings/retorna_caminho.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "settings/configuracao.h"

namespace settings {

namespace {

// One row of a resolver table: the codes it answers (for a prefix row, the two-letter starts of
// the codes it answers), the folder it makes sure of first (if any) and its result.
struct Row {
    std::vector<std::string_view> codes;
    bool prefix = false;
    std::optional<std::string> folderToEnsure;
    std::string result;
};

Row plain(std::initializer_list<std::string_view> codes, std::string result) {
    return Row{codes, false, std::nullopt, std::move(result)};
}

Row ensuring(std::initializer_list<std::string_view> codes, const std::string& folder,
             std::string result) {
    return Row{codes, false, folder, std::move(result)};
}

Row ensuringAndGiving(std::initializer_list<std::string_view> codes, const std::string& folder) {
    return ensuring(codes, folder, folder);
}

Row prefixRow(std::initializer_list<std::string_view> prefixes, std::string result) {
    return Row{prefixes, true, std::nullopt, std::move(result)};
}

// Server mode: workstation folders are built on Diretorio_Servidor with "\", values for the
// database server on its own paths and separator.
std::vector<Row> serverTable(const TConfigInstalacao& c) {
    const std::string dados = c.Diretorio_Servidor + "SGB_DADOS\\";
    const std::string banco = c.Conexao + ":" + c.Caminho_Base_Dados + "SGB_DADOS" + c.Separador;
    const std::string& sep = c.Separador;
    const std::string& sepTd = c.SeparadorTabDef;
    return {
        plain({"D"}, dados),
        plain({"B"}, banco),
        plain({"SRV"}, c.Conexao),
        prefixRow({"DA"}, dados),
        prefixRow({"BA"}, banco),
        plain({"TD"}, c.RaizServidor + "\\TABDEF\\"),
        plain({"TB"}, c.ConexaoTabDef + ":" + c.RaizTabDef + sepTd + "TABDEF" + sepTd),
        plain({"BK"}, c.Caminho_Base_Dados + "SGB_DADOS" + sep),
        ensuringAndGiving({"BKAD"}, dados + "BCK\\"),
        ensuring({"BKAB"}, dados + "BCK\\",
                 c.Caminho_Base_Dados + "ARQ" + c.Ano + sep + "BCK" + sep),
        plain({"AP"}, c.Diretorio_Servidor),
        ensuringAndGiving({"TPD"}, dados + "TEMP\\"),
        ensuring({"TPB"}, dados + "TEMP\\",
                 c.Caminho_Base_Dados + "SGB_DADOS" + sep + "TEMP" + sep),
        ensuringAndGiving({"DE"}, dados + "EXPORTA\\"),
        ensuringAndGiving({"DI"}, dados + "IMPORTA\\"),
        ensuringAndGiving({"RTM"}, c.Diretorio_Servidor + "RTM\\"),
        ensuringAndGiving({"RTMSSE"}, c.Diretorio_SSE + "RTM\\"),
        ensuring({"RPT"}, c.Diretorio_Servidor + "Relatorios\\",
                 c.Diretorio_Servidor + "Relatorios" + sep),
        plain({"EXE"}, c.RaizServidor + "\\"),
    };
}

// Local mode: the database server is this machine, so every folder is built on the database paths.
std::vector<Row> localTable(const TConfigInstalacao& c) {
    const std::string& base = c.Caminho_Base_Dados;
    const std::string dados = base + "SGB_DADOS\\";
    const std::string& sep = c.Separador;
    return {
        plain({"B"}, c.Conexao + ":" + dados),
        plain({"SRV"}, c.Conexao),
        plain({"D", "BK"}, dados),
        plain({"TD"}, c.RaizTabDef + "\\TABDEF\\"),
        plain({"TB"}, c.ConexaoTabDef + ":" + c.RaizTabDef + "\\TABDEF\\"),
        prefixRow({"BA", "DA"}, dados),
        plain({"AP"}, base),
        ensuringAndGiving({"BKAD", "BKAB"}, dados + "BCK\\"),
        ensuringAndGiving({"TPB", "TPD"}, dados + "TEMP\\"),
        ensuringAndGiving({"DE"}, dados + "EXPORTA\\"),
        ensuringAndGiving({"DI"}, dados + "IMPORTA\\"),
        ensuringAndGiving({"RTM"}, base + "RTM\\"),
        ensuringAndGiving({"RTMSSE"}, c.Diretorio_SSE + "RTM\\"),
        ensuring({"RPT"}, base + "Relatorios\\",
                 c.Conexao + ":" + base + sep + "Relatorios" + sep),
        ensuringAndGiving({"IMA"}, base + "IMAGENS\\"),
        ensuring({"SB"}, base + "SGB_DADOS", c.Conexao + ":" + dados),
        ensuring({"STB"}, c.RaizBaseDados + sep + "TABDEF",
                 c.Conexao + ":" + c.RaizBaseDados + sep + "TABDEF" + sep),
        plain({"EXE"}, c.RaizBaseDados + "\\"),
    };
}

bool matches(const Row& row, const std::string& upperCode) {
    // A prefix row takes the two-letter code itself and every longer code that starts with it.
    std::string_view compared = row.prefix ? std::string_view(upperCode).substr(0, 2) : upperCode;
    for (std::string_view code : row.codes)
        if (code == compared) return true;
    return false;
}

// An optional sign followed by decimal digits whose value fits a signed 32-bit integer.
bool isWholeNumber(std::string_view text) {
    size_t at = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (at == text.size()) return false;
    const bool negative = text[0] == '-';
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    int64_t value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
        value = value * 10 + (text[at] - '0');
        if (value > limit) return false;
    }
    return true;
}

void requireWholeNumber(const std::string& text) {
    if (!isWholeNumber(text))
        throw ConversionError("'" + text + "' não é um valor inteiro válido");
}

// The year must be a number, and so must whatever follows the two-letter prefix of the code.
void checkPrefixNumbers(const TConfigInstalacao& c, const std::string& code) {
    requireWholeNumber(c.Ano);
    if (platform::utf8Length(code) > 2) requireWholeNumber(platform::utf8Slice(code, 3, code.size()));
}

// One level only: a missing parent is not created.
void ensureFolder(platform::FileSystem& files, const std::string& folder) {
    if (files.dirExists(folder)) return;
    if (!files.createDirectory(folder))
        throw PathError("Não é possível criar o diretório: " + folder);
}

std::string resolveByTable(const platform::Platform& machine, const TConfigInstalacao& c,
                           const std::string& code, const std::string& upperCode) {
    const bool serverMode = !c.Servidor.empty();
    for (const Row& row : serverMode ? serverTable(c) : localTable(c)) {
        if (!matches(row, upperCode)) continue;
        if (row.prefix) checkPrefixNumbers(c, code);
        if (row.folderToEnsure) ensureFolder(*machine.files, *row.folderToEnsure);
        return row.result;
    }
    return serverMode ? std::string() : c.RaizBaseDados + "\\TABDEF\\";
}

}  // namespace

std::string RetornaCaminho(const platform::Platform& machine, const std::string& code) {
    const TConfigInstalacao c = LerConfiguracao(*machine.system);
    const std::string upperCode = platform::upperAscii(code);
    std::string result = resolveByTable(machine, c, code, upperCode);
    // The client library's location and port, the same in both modes.
    if (upperCode == "DLLFB") result = c.CaminhoDLLCON + c.DLLCON;
    if (upperCode == "CDLLFB") result = c.CaminhoDLLCON;
    if (upperCode == "PORTA") result = c.PORTACON;
    return result;
}

}  // namespace settings
