// The catalogue name check as a property: a name it accepts never leads outside the program
// folder. A reference resolves the name as the system calls would, the worst of two readings:
// POSIX components, and Windows components that lose their trailing dots and blanks (".. " and
// "..." taken as climbing). The calls read a name up to its first zero byte. A name of plain
// components is always accepted, so the check cannot pass by refusing everything.
#include <algorithm>

#include "app/catalogue.h"
#include "fuzz_support.h"

namespace {

// Names are made of these pieces: separators, dots, blanks, drive letters, plain parts.
constexpr std::string_view kPieces[] = {"\\", "/", ".", "..", " ", "a", "B7", "C:", ":", std::string_view("\0", 1),
                                        "\t", "\xC3\xA9", "~", "x.exe", "...", "\xFF"};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// How deep below the program folder each reading of the name goes at its shallowest point.
int ShallowestDepth(std::string_view name, bool windowsReading) {
    int depth = 0, shallowest = 0;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) continue;
        std::string_view part = name.substr(start, i - start);
        start = i + 1;
        if (windowsReading) {
            const size_t kept = part.find_last_not_of(". ");
            const bool climbs = kept == std::string_view::npos && part.substr(0, 2) == "..";
            depth += climbs ? -1 : kept == std::string_view::npos ? 0 : 1;
        } else {
            depth += part == ".." ? -1 : (part.empty() || part == ".") ? 0 : 1;
        }
        shallowest = std::min(shallowest, depth);
    }
    return shallowest;
}

bool LeadsOutside(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    const bool rooted = !name.empty() && IsSeparator(name[0]);
    const bool drive = name.size() >= 2 && name[1] == ':';
    return rooted || drive || ShallowestDepth(name, false) < 0 || ShallowestDepth(name, true) < 0;
}

// Parts of letters, digits and the like, one separator between them.
bool PlainRelative(std::string_view name) {
    bool partStarted = false;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '~' ||
                           static_cast<unsigned char>(c) >= 0x80;
        if (IsSeparator(c) && partStarted) partStarted = false;
        else if (plain) partStarted = true;
        else return false;
    }
    return partStarted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string name;
    for (size_t i = 0; i < size; ++i) name += kPieces[data[i] % std::size(kPieces)];
    const bool accepted = app::NomeSeguro(name);
    FUZZ_CHECK(!accepted || !LeadsOutside(name), fuzz::Visible(name) + " accepted");
    FUZZ_CHECK(accepted || !PlainRelative(name), fuzz::Visible(name) + " refused");
    return 0;
}
