#include "fileops/fx_names.h"

#include "platform/text.h"

namespace fileops {

namespace {

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
    const std::vector<std::string_view> source = platform::utf8Characters(S);
    const std::vector<std::string_view> mask = platform::utf8Characters(Mask);
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
