// Windows-form paths on a Linux file system: "\" and "/" are both separators, and a component
// that does not exist as written resolves to the entry of its folder that matches it ignoring
// ASCII letter case.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// "\" becomes "/"; nothing else changes.
std::string toNativeSeparators(std::string_view path);

// The path the system call should use: separators translated, every component that does not
// exist as written replaced by the first entry of its folder that matches it ignoring case.
// Components that match nothing stay as written (a new file takes the name it was given).
std::string resolvePath(std::string_view path);

// The folder of a native path (without trailing "/"), "." for a bare name, "/" for the root.
std::string nativeFolderOf(const std::string& nativePath);
// The last component of a native path.
std::string nativeNameOf(const std::string& nativePath);

}  // namespace platform::posix
