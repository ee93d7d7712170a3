// Name helpers of the file operation component: the folder, name and extension parts of a path
// and the wildcard mapping of a source name through a destination mask.
#pragma once

#include <string>
#include <string_view>

namespace fileops {

// The folder part of path, always ending with a separator when not empty ("C:" becomes "C:\").
std::string DirOf(std::string_view path);
// The file name of path without its extension (the part from the last dot on).
std::string NamePart(std::string_view path);
// The extension of path without its leading dot; empty when the name has no dot.
std::string ExtPart(std::string_view path);

// Maps a name (or extension) part S through Mask, character by character: "?" copies S's
// character at the same position, "*" copies the rest of S from that position and ends the mask,
// any other character is copied; a wildcard beyond the end of S adds nothing.
std::string ApplyMask(std::string_view S, std::string_view Mask);

}  // namespace fileops
