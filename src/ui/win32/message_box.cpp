#include "ui/win32/message_box.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/box_place.h"

namespace ui::win32 {

namespace {

constexpr int kMargin = 14;
constexpr int kIconSide = 32;
constexpr int kIconGap = 12;
constexpr int kButtonHeight = 26;
constexpr int kButtonMinWidth = 86;
constexpr int kButtonGap = 8;
constexpr int kScreenRoom = 160;  // frame, caption, buttons and margins of a box on the work area
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

struct Button {
    int id;
    const wchar_t* label;
};

struct Box {
    BoxKind kind;
    std::wstring text;
    std::wstring title;
    HWND owner;
    HFONT font;
    std::vector<Button> buttons;
    Answer answer = Answer::OK;
};

// Messages break lines at a lone carriage return; the controls want CR LF.
std::wstring WithCrLf(const std::string& text) {
    const std::wstring wide = platform::win32::toWide(text);
    std::wstring out;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] != L'\r' && wide[i] != L'\n') {
            out += wide[i];
            continue;
        }
        out += L"\r\n";
        if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
    }
    return out;
}

HFONT MakeFont(BoxLayout layout) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW face{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) face = metrics.lfMessageFont;
    else face.lfHeight = -12;
    if (layout == BoxLayout::Columns) {
        // The report's padding lines up only where every character is as wide as the next.
        face.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynW(face.lfFaceName, L"Courier New", LF_FACESIZE);
        face.lfHeight = -13;
        face.lfWeight = FW_NORMAL;
    }
    return CreateFontIndirectW(&face);
}

LPCWSTR IconOf(BoxKind kind) {
    switch (kind) {
        case BoxKind::Information: return IDI_INFORMATION;
        case BoxKind::Warning: return IDI_WARNING;
        case BoxKind::Error: return IDI_ERROR;
        case BoxKind::Confirmation: return IDI_QUESTION;
        case BoxKind::Plain: return nullptr;
    }
    return nullptr;
}

SIZE MeasureText(HFONT font, const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT box{0, 0, kBoxMaxTextWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kTextFormat | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return {box.right - box.left, box.bottom - box.top};
}

platform::Rect WorkArea() {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return {area.left, area.top, area.right, area.bottom};
}

std::optional<BoxOwner> OwnerOf(HWND owner) {
    RECT frame;
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &frame)) return std::nullopt;
    const bool borderless = (GetWindowLongW(owner, GWL_STYLE) & WS_CAPTION) != WS_CAPTION;
    return BoxOwner{{frame.left, frame.top, frame.right, frame.bottom}, borderless};
}

HWND Child(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id, RECT place, HFONT font) {
    HWND child = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// The controls, then the box's size and place: the template is empty, so that all is in pixels.
void LayOut(HWND dialog, Box& box) {
    const HFONT buttonFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const LPCWSTR icon = IconOf(box.kind);
    SIZE text = MeasureText(box.font, box.text);
    const platform::Rect area = WorkArea();
    const int roomForText = std::max(100, static_cast<int>(area.bottom - area.top) - kScreenRoom);
    const bool scrolls = text.cy > roomForText;
    const int textLeft = kMargin + (icon ? kIconSide + kIconGap : 0);
    if (scrolls) text = {text.cx + GetSystemMetrics(SM_CXVSCROLL) + 12, roomForText};
    const int bodyHeight = std::max<int>(text.cy, icon ? kIconSide : 0);
    int buttonsWidth = -kButtonGap;
    for (size_t i = 0; i < box.buttons.size(); ++i) buttonsWidth += kButtonMinWidth + kButtonGap;
    const int width = std::max<int>(textLeft + text.cx, buttonsWidth) + kMargin;
    const int height = kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;

    if (icon) {
        HWND picture = Child(dialog, L"STATIC", nullptr, SS_ICON, -1, {kMargin, kMargin, kMargin + kIconSide, kMargin + kIconSide}, nullptr);
        SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
    }
    const RECT textPlace{textLeft, kMargin, textLeft + text.cx, kMargin + text.cy};
    if (scrolls)
        Child(dialog, L"EDIT", box.text.c_str(), WS_VSCROLL | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
              -1, textPlace, box.font);
    else
        Child(dialog, L"STATIC", box.text.c_str(), SS_LEFT | SS_NOPREFIX, -1, textPlace, box.font);
    int x = (width - buttonsWidth) / 2;  // centred, as Windows places them
    const int y = height - kMargin - kButtonHeight;
    HWND first = nullptr;
    for (size_t i = 0; i < box.buttons.size(); ++i) {
        const DWORD style = WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = Child(dialog, L"BUTTON", box.buttons[i].label, style, box.buttons[i].id,
                            {x, y, x + kButtonMinWidth, y + kButtonHeight}, buttonFont);
        if (!first) first = button;
        x += kButtonMinWidth + kButtonGap;
    }
    SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(box.buttons.front().id), 0);

    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    const BoxSize size{outer.right - outer.left, outer.bottom - outer.top};
    const platform::Rect place = PlaceBox(size, OwnerOf(box.owner), area);
    SetWindowPos(dialog, HWND_TOP, place.left, place.top, size.width, size.height, SWP_NOZORDER);
    if (first) SetFocus(first);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Box* box = reinterpret_cast<Box*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            box = reinterpret_cast<Box*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetWindowTextW(dialog, box->title.c_str());
            LayOut(dialog, *box);
            // A question waits for Sim or Não, as on Windows: the close button is for the other boxes.
            if (box->kind == BoxKind::Confirmation)
                EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
            SetForegroundWindow(dialog);
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const bool question = box->kind == BoxKind::Confirmation;
            if ((id == IDCANCEL || id == IDOK) && question) return TRUE;  // Escape answers no question
            if (id == IDCANCEL || id == IDOK) box->answer = Answer::OK;
            else if (id == IDYES) box->answer = Answer::Yes;
            else if (id == IDNO) box->answer = Answer::No;
            else return FALSE;
            EndDialog(dialog, id);
            return TRUE;
        }
        default: return FALSE;
    }
}

}  // namespace

Answer ShowBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout, HWND owner) {
    Box box{kind, WithCrLf(text), platform::win32::toWide(title), owner, MakeFont(layout), {}};
    if (kind == BoxKind::Confirmation) box.buttons = {{IDYES, L"Sim"}, {IDNO, L"Não"}};
    else box.buttons = {{IDOK, L"OK"}};
    // An empty dialog: its controls are made in pixels when it starts.
    struct alignas(DWORD) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } blank{};
    blank.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &blank.dialog, owner, BoxProc,
                                                   reinterpret_cast<LPARAM>(&box));
    if (box.font) DeleteObject(box.font);
    // A dialog that could not be made answers as the system's box would have: no question granted.
    if (result <= 0) return kind == BoxKind::Confirmation ? Answer::No : Answer::OK;
    return box.answer;
}

}  // namespace ui::win32
