// What the fuzz targets share: failing loudly on a broken property, a reference reading of UTF-8
// text, and platform doubles that keep every target in memory or inside a temporary folder.
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

// A machine with no files: every query finds nothing, every change is refused. Doubles override
// what their target needs.
class EmptyFileSystem : public platform::FileSystem {
public:
    std::vector<platform::DirEntry> find(const std::string&) override { return {}; }
    std::optional<uint32_t> attributes(const std::string&) override { return std::nullopt; }
    bool setAttributes(const std::string&, uint32_t) override { return false; }
    bool fileExists(const std::string&) override { return false; }
    bool dirExists(const std::string&) override { return false; }
    std::optional<uint32_t> lastWriteDos(const std::string&) override { return std::nullopt; }
    std::optional<uint64_t> fileSize(const std::string&) override { return std::nullopt; }
    bool createDirectory(const std::string&) override { return false; }
    bool deleteFile(const std::string&) override { return false; }
    bool moveFile(const std::string&, const std::string&) override { return false; }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    bool copyFile(const std::string&, const std::string&, bool) override { return false; }
    int64_t freeSpace(const std::string&) override { return -1; }
    std::unique_ptr<platform::File> openRead(const std::string&) override { return nullptr; }
    std::unique_ptr<platform::File> createExclusive(const std::string&) override { return nullptr; }
};

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
