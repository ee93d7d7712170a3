// UTF-8 inside, UTF-16 only at the Win32 calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

std::wstring toWide(std::string_view text);
std::string fromWide(std::wstring_view text);
std::string fromWide(const wchar_t* text);  // up to the terminating zero; null gives empty

}  // namespace platform::win32
