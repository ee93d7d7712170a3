#include "packinfo/pack_files.h"

#include <algorithm>

#include "platform/text.h"

namespace packinfo {

namespace {

#ifdef _WIN32
constexpr bool kExplorerKnowsSwitches = true;
#else
constexpr bool kExplorerKnowsSwitches = false;
#endif

const char* const kMascarasPacote[] = {"*.bpl", "*.dll"};

bool IsFolder(const platform::DirEntry& entry) { return (entry.attributes & platform::attr::Directory) != 0; }

// Files only, sorted by name ignoring case, so that the tree reads the same on every machine.
std::vector<std::string> FilesMatching(platform::FileSystem& files, const std::string& mask) {
    std::vector<std::string> names;
    for (const platform::DirEntry& entry : files.find(mask))
        if (!IsFolder(entry)) names.push_back(entry.name);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return platform::upperAscii(a) < platform::upperAscii(b); });
    const std::string folder = platform::folderPart(mask);
    for (std::string& name : names) name = folder + name;
    return names;
}

// Settings without a server root give a bare separator: no folder to offer.
bool HasFolderName(const std::string& folder) {
    const std::string trimmed = platform::trimBlanks(folder);
    return std::any_of(trimmed.begin(), trimmed.end(), [](char c) { return !platform::isSeparator(c); });
}

}  // namespace

bool CopiaArquivos(platform::FileSystem& files, const std::string& sourceMask, const std::string& destinationFolder,
                   const CopiaFeita& each) {
    const std::string sourceFolder = platform::folderPart(sourceMask);
    const std::string targetFolder = platform::folderPart(destinationFolder);
    for (const platform::DirEntry& entry : files.find(sourceMask)) {
        if (IsFolder(entry)) continue;
        const std::string source = sourceFolder + entry.name, target = targetFolder + entry.name;
        const bool copied = files.copyFile(source, target, false);
        if (each) each(source, target, copied);
        if (!copied) return false;
    }
    return true;
}

std::string ParametrosExplorer(const std::string& folder, bool explorerView, bool asRoot) {
    std::string prefix = "\"";
    if (explorerView) prefix = asRoot ? " /e,/root,\"" : " /e,\"";
    return prefix + folder + "\"";
}

bool AbrePastaExplorer(platform::Shell& shell, void* ownerWindow, const std::string& folder, bool explorerView,
                       bool asRoot) {
    const std::string parameters =
        kExplorerKnowsSwitches ? ParametrosExplorer(folder, explorerView, asRoot) : ParametrosExplorer(folder, false, false);
    return shell.execute(ownerWindow, "open", "explorer.exe", parameters, "", platform::SW_SHOWNORMAL) > 32;
}

std::vector<NoPacote> ListaPacotes(platform::FileSystem& files, const std::string& programFolder,
                                   const std::string& serverFolder) {
    std::vector<NoPacote> nodes;
    for (const char* mask : kMascarasPacote)
        nodes.push_back({programFolder + mask, FilesMatching(files, programFolder + mask)});
    const bool serverUsable = HasFolderName(serverFolder) && !platform::equalsIgnoringAsciiCase(serverFolder, programFolder);
    if (serverUsable)
        for (const char* mask : kMascarasPacote) nodes.push_back({serverFolder + mask, FilesMatching(files, serverFolder + mask)});
    return nodes;
}

}  // namespace packinfo
