// Small rules of the file operation component that need no disk: the attribute mask of the
// listing, the end status, the rounded percentage and which destination folders are looked at.
#pragma once

#include <cstdint>
#include <string_view>

#include "fileops/fx_file_types.h"

namespace fileops {

// The attribute bits a listed file may carry: not-indexed, normal and archive always, read-only,
// hidden and system when their options are set (0x20A7 for the defaults).
uint32_t AttrMask(TFxFileOptions options);

// The end status of an Execute, first rule that applies: error, aborted, none, complete, partial.
TFxFileStatus FinalStatus(bool result, bool aborted, int32_t filesProc, int32_t filesCount);

// part / whole in percent, rounded to the nearest integer with an exact half going to the even
// neighbour. A whole of 0 or less counts as done (bytes of a file that grew after listing).
int32_t RoundedPercent(int64_t part, int64_t whole);

// False for a destination folder that is never looked for: empty, a lone separator, or a drive
// with its separator (what follows the drive colon is at most one character).
bool DestDirNeedsCheck(std::string_view dirDest);

// True for a network path: two leading backslashes.
bool IsNetworkPath(std::string_view path);

}  // namespace fileops
