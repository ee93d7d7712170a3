#include "ui/win32/font_cache.h"

#include "platform/win32/wide_text.h"

namespace ui::win32 {

FontCache::~FontCache() {
    for (auto& [key, font] : fonts_) DeleteObject(font);
}

HFONT FontCache::Get(const Font& font) {
    const auto key = std::make_tuple(font.name, font.height, font.bold);
    if (auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    // A negative height asks for the character height in pixels, as the form designer gives it.
    HFONT made = CreateFontW(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, platform::win32::toWide(font.name).c_str());
    if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_.emplace(key, made);
    return made;
}

}  // namespace ui::win32
