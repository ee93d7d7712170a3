#include "ui/win32/form_painter.h"

#include "platform/win32/wide_text.h"
#include "ui/text_fit.h"

#include <algorithm>

namespace ui::win32 {

namespace {

COLORREF ColorRef(Color color) { return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF); }

// Fills a rectangle of the buffer, clipped to it. Colours are 0xRRGGBB, as the DIB stores them.
void FillBox(BackBuffer& buffer, int left, int top, int width, int height, Color color) {
    const int x0 = std::max(left, 0), y0 = std::max(top, 0);
    const int x1 = std::min(left + width, buffer.Width()), y1 = std::min(top + height, buffer.Height());
    for (int y = y0; y < y1; ++y)
        std::fill_n(buffer.Pixels() + static_cast<size_t>(y) * buffer.Width() + x0, std::max(0, x1 - x0),
                    color & 0xFFFFFF);
}

uint32_t Blend(uint32_t under, uint32_t over) {
    const uint32_t alpha = over >> 24;
    if (alpha == 0xFF) return over & 0xFFFFFF;
    if (alpha == 0) return under;
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
        result |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}

void PaintLabel(const TLabel& label, BackBuffer& buffer, FontCache& fonts) {
    if (label.Caption.empty()) return;
    HDC dc = buffer.Dc();
    const HGDIOBJ previous = SelectObject(dc, fonts.Get(label.LabelFont));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorRef(label.LabelFont.color));
    UINT format = DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE;
    if (label.AutoSize) {
        // The label grows with its text: nothing is cut.
        const std::wstring text = platform::win32::toWide(label.Caption);
        RECT box{label.Left, label.Top, std::max<LONG>(label.Left + label.Width, buffer.Width()),
                 std::max<LONG>(label.Top + label.Height, buffer.Height())};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, (format & ~DT_SINGLELINE) | DT_NOCLIP);
        SelectObject(dc, previous);
        return;
    }
    if (label.TextAlign == Alignment::Right) format |= DT_RIGHT;
    if (label.TextAlign == Alignment::Center) format |= DT_CENTER;
    // A fixed box shows as many lines as it holds, each shortened in the middle to fit.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = std::max<int>(1, metrics.tmHeight);
    const auto measure = [dc](const std::string& line) {
        const std::wstring wide = platform::win32::toWide(line);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
    };
    const std::vector<std::string> lines = LinesForBox(label.Caption, label.Height / lineHeight);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring text = platform::win32::toWide(FitLine(lines[i], label.Width, measure));
        const LONG top = label.Top + static_cast<LONG>(i) * lineHeight;
        RECT box{label.Left, top, label.Left + label.Width, label.Top + label.Height};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    }
    SelectObject(dc, previous);
}

// The thin gauge: background, then the filled share of the range from the left.
void PaintGauge(const TProgressBar& bar, BackBuffer& buffer) {
    int left = bar.Left, top = bar.Top, width = bar.Width, height = bar.Height;
    if (height >= 5 && width >= 5) {  // room for a single border around the bar
        FillBox(buffer, left, top, width, height, 0x808080);
        ++left, ++top, width -= 2, height -= 2;
    }
    FillBox(buffer, left, top, width, height, bar.BackgroundColor);
    const int64_t range = bar.Max() - bar.Min();
    if (range <= 0) return;
    const auto filled = static_cast<int>(static_cast<long double>(bar.Position() - bar.Min()) * width / range);
    FillBox(buffer, left, top, std::clamp(filled, 0, width), height, bar.BarColor);
}

}  // namespace

void BlendPicture(const Picture& picture, int left, int top, int boxWidth, int boxHeight, BackBuffer& buffer) {
    if (picture.empty()) return;
    const int width = std::min(picture.width, boxWidth), height = std::min(picture.height, boxHeight);
    for (int y = std::max(0, -top); y < height && top + y < buffer.Height(); ++y) {
        uint32_t* row = buffer.Pixels() + static_cast<size_t>(top + y) * buffer.Width();
        for (int x = std::max(0, -left); x < width && left + x < buffer.Width(); ++x)
            row[left + x] = Blend(row[left + x], picture.at(x, y));
    }
}

void PaintForm(const TForm& form, BackBuffer& buffer, FontCache& fonts) {
    FillBox(buffer, 0, 0, buffer.Width(), buffer.Height(), form.BackgroundColor);
    for (const TControl* control : form.Controls()) {
        if (!control->Visible) continue;
        if (const auto* image = dynamic_cast<const TImage*>(control)) {
            GdiFlush();  // GDI text drawn so far must be in the pixels before we blend over it
            BlendPicture(image->Image, image->Left, image->Top, image->Width, image->Height, buffer);
        } else if (const auto* label = dynamic_cast<const TLabel*>(control)) {
            PaintLabel(*label, buffer, fonts);
        } else if (const auto* bar = dynamic_cast<const TProgressBar*>(control)) {
            GdiFlush();
            PaintGauge(*bar, buffer);
        }
        // The work list (TMemo) and the run's button (TSpeedButton) are never shown. The package
        // window's tree view is a child control of the window (TreeControl) and paints itself.
    }
    GdiFlush();
}

}  // namespace ui::win32
