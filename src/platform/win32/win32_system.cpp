#include "platform/win32/win32_system.h"

#include <algorithm>
#include <optional>

#include "platform/ini_reader.h"
#include "platform/text.h"
#include "platform/text_decoding.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_file.h"

namespace platform::win32 {

namespace {
// The profile functions read at most 2,047 characters of a value into a 2,048-character buffer.
constexpr DWORD kProfileBuffer = 2048;
// Larger than any settings file: one that is larger goes to the profile functions whole.
constexpr DWORD kLargestReadHere = 1 << 20;

// The bytes of a small file, or nothing when it cannot be read.
std::optional<std::string> SmallFileBytes(const std::string& path) {
    Handle file = openFileForReading(toWide(path), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     FILE_ATTRIBUTE_NORMAL);
    LARGE_INTEGER size;
    if (!file.valid()) return std::nullopt;
    SetLastError(ERROR_SUCCESS);  // a file too large to read here is no refusal
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestReadHere) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

// Saved as UTF-8 without a byte-order mark (current Notepad does so), with some character that
// ASCII lacks: the profile functions would read it in the ANSI code page.
bool Utf8WithoutMark(const std::string& bytes) {
    const bool marked = bytes.rfind("\xEF\xBB\xBF", 0) == 0 || bytes.rfind("\xFF\xFE", 0) == 0 ||
                        bytes.rfind("\xFE\xFF", 0) == 0;
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return !marked && beyondAscii && IsValidUtf8(bytes);
}
}  // namespace

std::string Win32System::executablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return fromWide(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);  // cut short: try again with room for a long path
    }
}

std::string Win32System::currentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
    if (length == 0 || length >= needed) return {};
    std::string folder = fromWide(std::wstring_view(buffer.data(), length));
    if (folder.empty() || !isSeparator(folder.back())) folder += '\\';
    return folder;
}

std::optional<Rect> Win32System::workArea() {
    RECT area;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return std::nullopt;
    return Rect{area.left, area.top, area.right, area.bottom};
}

std::string Win32System::profileString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& defaultValue) {
    // Our reader follows the profile functions' rules; it reads UTF-8 as UTF-8.
    const std::optional<std::string> bytes = SmallFileBytes(file);
    if (bytes && Utf8WithoutMark(*bytes)) return ReadProfileString(*bytes, section, key, defaultValue);
    // A pipe or a device under the file's name (refused as unreadable): the profile functions
    // would open it themselves and wait.
    if (!bytes && GetLastError() == ERROR_ACCESS_DENIED) return defaultValue;
    wchar_t value[kProfileBuffer];
    const DWORD length = GetPrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                                                  toWide(defaultValue).c_str(), value, kProfileBuffer,
                                                  toWide(file).c_str());
    return fromWide(std::wstring_view(value, length));
}

std::string Win32System::thousandsSeparator() {
    wchar_t separator[8] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    if (length <= 0) return System::thousandsSeparator();
    return fromWide(std::wstring_view(separator, static_cast<size_t>(length - 1)));  // without the NUL
}

std::string Win32System::decodeAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return System::decodeAnsi(bytes);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return fromWide(wide);
}

std::optional<std::string> Win32System::machineName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length) || length == 0) return std::nullopt;
    return fromWide(std::wstring_view(name, length));
}

std::optional<std::string> Win32System::userName() {
    wchar_t name[257] = {};  // UNLEN + 1
    DWORD length = 257;
    if (!GetUserNameW(name, &length) || length <= 1) return std::nullopt;
    return fromWide(std::wstring_view(name, length - 1));  // the count includes the NUL
}

}  // namespace platform::win32
