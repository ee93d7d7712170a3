// GDI fonts by name, height and weight, made once and deleted with the cache.
#pragma once

#include "ui/win32/win32_api.h"

#include <map>
#include <string>
#include <tuple>

namespace ui::win32 {

class FontCache {
public:
    FontCache() = default;
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    HFONT Get(const Font& font);  // never null: falls back to the system's default GUI font

private:
    std::map<std::tuple<std::string, int, bool>, HFONT> fonts_;
};

}  // namespace ui::win32
