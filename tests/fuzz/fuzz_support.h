// What the fuzz targets share: failing loudly on a broken property, a reference reading of UTF-8
// text, and a settings file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace fuzz {

// Prints the broken property and aborts: libFuzzer then keeps the input as a finding.
[[noreturn]] void Fail(const std::string& what);

#define FUZZ_CHECK(condition, detail)                                                  \
    do {                                                                               \
        if (!(condition)) ::fuzz::Fail(std::string(#condition) + "\n  " + (detail));   \
    } while (0)

std::string_view AsText(const uint8_t* data, size_t size);

// The input before its first `separator` and the rest after it (all of it and nothing when the
// separator is missing).
std::pair<std::string_view, std::string_view> SplitAt(std::string_view data, char separator);

// Control and non-ASCII bytes written as \xNN, for messages.
std::string Visible(std::string_view text);

// Characters as the Unicode standard reads UTF-8 (its table of well-formed byte sequences): a
// well-formed sequence is one character, every other byte is one character of its own.
std::vector<std::string_view> ReferenceCharacters(std::string_view text);
bool IsWellFormedUtf8(std::string_view text);

// UTF-8 text (well formed) as UTF-16 bytes in either order, without a byte-order mark.
std::string EncodeUtf16(std::string_view utf8, bool bigEndian);

// The program runs from kProgramFolder and its qor.ini holds `iniBytes`, read with our INI reader.
class IniInMemory : public platform::System {
public:
    static constexpr const char* kProgramFolder = "C:\\QOR7\\";
    std::string iniBytes;
    std::string executablePath() override { return std::string(kProgramFolder) + "AtualizaTerminalQOR7.exe"; }
    std::string currentDirectory() override { return kProgramFolder; }
    std::optional<platform::Rect> workArea() override { return std::nullopt; }
    std::string profileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue) override;
};

}  // namespace fuzz
