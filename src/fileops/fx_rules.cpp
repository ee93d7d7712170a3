#include "fileops/fx_rules.h"

#include "platform/platform.h"
#include "platform/text.h"

namespace fileops {

uint32_t AttrMask(TFxFileOptions options) {
    uint32_t mask = platform::attr::NotIndexed | platform::attr::Normal | platform::attr::Archive;
    if (options.Contains(foReadOnlyFiles)) mask |= platform::attr::ReadOnly;
    if (options.Contains(foHiddenFiles)) mask |= platform::attr::Hidden;
    if (options.Contains(foSysFiles)) mask |= platform::attr::System;
    return mask;
}

TFxFileStatus FinalStatus(bool result, bool aborted, int32_t filesProc, int32_t filesCount) {
    if (!result) return fsError;
    if (aborted) return fsAborted;
    if (filesProc == 0) return fsNone;
    if (filesProc == filesCount) return fsComplete;
    return fsPartial;
}

int32_t RoundedPercent(int64_t part, int64_t whole) {
    if (whole <= 0) return 100;
    // Exact integer arithmetic: 128-bit so that totals beyond 2^56 bytes cannot overflow.
    const __int128 scaled = static_cast<__int128>(part) * 100;
    __int128 quotient = scaled / whole;
    const __int128 twiceRest = (scaled % whole) * 2;
    if (twiceRest > whole || (twiceRest == whole && quotient % 2 != 0)) ++quotient;
    return static_cast<int32_t>(quotient);
}

bool DestDirNeedsCheck(std::string_view dirDest) {
    // Only where ":" delimits a drive does the text after it count; elsewhere it is a name.
    size_t afterDrive = dirDest.size();
    if (platform::kColonIsDriveDelimiter) {
        const size_t colon = dirDest.find(':');
        if (colon != std::string_view::npos) afterDrive = dirDest.size() - (colon + 1);
    }
    return afterDrive > 1;
}

bool IsNetworkPath(std::string_view path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

}  // namespace fileops
