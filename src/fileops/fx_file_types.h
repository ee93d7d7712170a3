// Types of the file operation component: actions, options, error values, end statuses and the
// description of one file. Their ordinal values are part of the interface: handlers receive them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace fileops {

enum TFxFileAction : uint8_t { faCopy = 0, faDelete = 1, faRename = 2, faMove = 3 };

enum TFxFileOption : uint8_t {
    foCopyDateTime = 0,
    foCopyAttr = 1,
    foCreateDir = 2,
    foOverwrite = 3,
    foCheckSpace = 4,
    foReadOnlyFiles = 5,
    foHiddenFiles = 6,
    foSysFiles = 7,
};

// A set of options held in one byte: option n is bit n.
class TFxFileOptions {
public:
    constexpr TFxFileOptions() = default;
    constexpr TFxFileOptions(std::initializer_list<TFxFileOption> options) {
        for (TFxFileOption option : options) bits_ |= Bit(option);
    }
    static constexpr TFxFileOptions FromByte(uint8_t bits) {
        TFxFileOptions set;
        set.bits_ = bits;
        return set;
    }

    constexpr uint8_t Byte() const { return bits_; }
    constexpr bool Contains(TFxFileOption option) const { return (bits_ & Bit(option)) != 0; }
    constexpr TFxFileOptions With(TFxFileOption option) const { return FromByte(bits_ | Bit(option)); }
    constexpr TFxFileOptions Without(TFxFileOption option) const {
        return FromByte(static_cast<uint8_t>(bits_ & ~Bit(option)));
    }
    constexpr bool operator==(const TFxFileOptions&) const = default;

private:
    static constexpr uint8_t Bit(TFxFileOption option) { return static_cast<uint8_t>(1u << option); }
    uint8_t bits_ = 0;
};

// The default options: copy time and attributes, check the space, list every kind of file.
inline constexpr TFxFileOptions kDefaultFileOptions = TFxFileOptions::FromByte(0xF3);

enum TFxFileError : uint8_t {
    feInvalidSource = 0,
    feAmbigDest = 1,
    feSameFile = 2,
    feDirNotExists = 3,
    feOpenError = 4,
    feCreateError = 5,
    feWriteError = 6,
    feNoSpace = 7,
    feRenameError = 8,
    feDiferentDir = 9,
    feDestExists = 10,
    feDeleteError = 11,
    feMoveError = 12,
};

enum TFxFileStatus : uint8_t { fsComplete = 0, fsPartial = 1, fsNone = 2, fsAborted = 3, fsError = 4 };

// One file as the directory search describes it. Sizes are 64-bit: files of 2 GiB and more are
// counted correctly; below that bound the values are those of the 32-bit original.
struct TFxFileInfo {
    std::string Path;  // the file's folder, with its trailing separator
    std::string Name;  // as the folder entry spells it
    int64_t Size = 0;
    uint8_t Attr = 0;  // low byte of the attribute bits
    int32_t Time = 0;  // last write, local time, packed DOS date-time
    bool operator==(const TFxFileInfo&) const = default;
};

}  // namespace fileops
