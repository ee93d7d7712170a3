// Old-version clean-up: deletes from the program folder the packages and libraries of earlier
// versions by a fixed list of masks. Each file that stays is reported through `report`, which
// shows a plain modal box and returns when it has been dismissed.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace process {

using ReportFn = std::function<void(const std::string& text)>;
// Whether a file that a mask matched stays (the terminal already holds the server's version of
// it, checked): the full path and the file as the search found it.
using KeepFn = std::function<bool(const std::string& path, const platform::DirEntry& entry)>;

// Relative to the folder given to ApagaAntigos; "\" separates folders.
inline constexpr std::array<std::string_view, 23> ArquivosAntigos = {
    "TABDEF\\tabdef.ini",
    "*7.bpl",
    "*70.bpl",
    "*73.bpl",
    "*74.bpl",
    "PNG.bpl",
    "pkxpmenu.bpl",
    "qrnlib.bpl",
    "midas.dll",
    "ntdll.dll",
    "rpcrt4.dll",
    "dbexpint.dll",
    "dbxint30.dll",
    "*100.bpl",
    "*10.bpl",
    "*2006.bpl",
    "ZipMaster.bpl",
    "ZipMsgBR.bpl",
    "pkTamber_Receiver.bpl",
    "pkTamber_Sender.bpl",
    "PKPesqAvancada_Tamber.bpl",
    "pkPesqAvancada_retSQL_Tamber.bpl",
    "dbexpida30.dll",
};

inline constexpr std::string_view NaoConseguiExcluir = "Não consegui Excluir ";

// Whether the clean-up may run: the sweeps copy back what it deletes from the server program
// folder, so that folder must be listable and another folder than the program folder (compared
// by identity, so letter case, separators and links cannot pass one for the other).
bool ServidorPodeRepor(platform::FileSystem& files, const std::string& pastaServidor,
                       const std::string& pastaPrograma);

// Applies every mask of ArquivosAntigos, in order, to Caminho (a folder with its trailing
// separator). Every mask is tried whatever the earlier ones did.
void ApagaAntigos(platform::FileSystem& files, const std::string& Caminho, const ReportFn& report,
                  const KeepFn& keep = {});

// Deletes every file (not folder) that the wildcard path caminho matches, in search order, except
// those `keep` keeps; the read-only attribute is left as it is. One report per file that could not
// be deleted.
void ExcluirArq(platform::FileSystem& files, const std::string& caminho, const ReportFn& report,
                const KeepFn& keep = {});

// Whether a name relative to the program folder ("pkBase7.bpl", "TABDEF\tabdef.ini") falls under
// one of the masks of ArquivosAntigos (letter case ignored; either separator).
bool NomeAntigo(const std::string& nome);

}  // namespace process
