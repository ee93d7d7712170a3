#include "fileops/fx_names.h"

#include <vector>

#include "platform/text.h"

namespace fileops {

namespace {

// Splits UTF-8 text into characters so that "?" never copies half of one; an invalid byte
// counts as one character.
std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> characters;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        if (i + length > text.size()) length = 1;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) length = 1;
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

size_t LastDot(const std::string& name) { return name.rfind('.'); }

}  // namespace

std::string DirOf(std::string_view path) {
    std::string folder = platform::folderPart(path);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

std::string NamePart(std::string_view path) {
    const std::string name = platform::fileNamePart(path);
    const size_t dot = LastDot(name);
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExtPart(std::string_view path) {
    const std::string name = platform::fileNamePart(path);
    const size_t dot = LastDot(name);
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string ApplyMask(std::string_view S, std::string_view Mask) {
    const std::vector<std::string_view> source = Characters(S);
    const std::vector<std::string_view> mask = Characters(Mask);
    std::string result;
    for (size_t i = 0; i < mask.size(); ++i) {
        const bool inSource = i < source.size();
        if (mask[i] == "?") {
            if (inSource) result += source[i];
        } else if (mask[i] == "*") {
            if (inSource) {
                for (size_t k = i; k < source.size(); ++k) result += source[k];
                break;
            }
        } else {
            result += mask[i];
        }
    }
    return result;
}

}  // namespace fileops
