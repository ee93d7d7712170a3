// The package information window's file work, kept apart from the window so that it can be used
// and tested without one: copying the files a mask names, opening a folder in the file explorer,
// and the paths the window's tree offers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace packinfo {

// Copies every file that sourceMask matches into destinationFolder (which ends with its
// separator), overwriting, in the search's order. Folders are skipped and no folder is created.
// False at the first copy that fails (the rest are not tried); true otherwise, also when nothing
// matches. `each`, when given, hears of every copy tried: source, target and whether it was copied.
using CopiaFeita = std::function<void(const std::string& origem, const std::string& destino, bool copiou)>;
bool CopiaArquivos(platform::FileSystem& files, const std::string& sourceMask, const std::string& destinationFolder,
                   const CopiaFeita& each = {});

// The parameter text for "explorer.exe": plain folder window, explorer view at the folder, or
// explorer view with the folder as the root of its tree.
std::string ParametrosExplorer(const std::string& folder, bool explorerView, bool asRoot);

// Opens folder in the platform's file explorer; true when the shell reports success (> 32).
// Windows gets the explorer's own switches; elsewhere the desktop's file manager (through the
// shell's hand-off of "explorer.exe" to xdg-open) has no explorer view, so it gets the folder alone.
bool AbrePastaExplorer(platform::Shell& shell, void* ownerWindow, const std::string& folder, bool explorerView,
                       bool asRoot);

// One node of the offered tree: a full path or path mask, and the files under it.
struct NoPacote {
    std::string caminho;
    std::vector<std::string> filhos;
};

// The package (.bpl) and library (.dll) masks of the program folder, each with the files it matches
// there, followed by the same two masks of the server program folder with theirs (none when the
// share does not answer). The server folder is left out when empty or the same as the program folder.
std::vector<NoPacote> ListaPacotes(platform::FileSystem& files, const std::string& programFolder,
                                   const std::string& serverFolder);

}  // namespace packinfo
