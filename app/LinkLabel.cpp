#include "app/LinkLabel.h"

#include <commctrl.h>
#include <shellapi.h>
#include <utility>

namespace velmora {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

LinkLabel::LinkLabel(COLORREF linkColour, COLORREF visitedColour)
    : linkColour(linkColour), visitedColour(visitedColour) {}

LinkLabel::~LinkLabel() {
    Detach();
    if (underlinedFont != nullptr) {
        ::DeleteObject(underlinedFont);
    }
}

bool LinkLabel::Attach(HWND target) {
    if (target == nullptr || control != nullptr ||
        !::SetWindowSubclass(target, &SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    control = target;
    LOGFONTW font{};
    const auto base = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (::GetObjectW(base != nullptr ? base : ::GetStockObject(DEFAULT_GUI_FONT), sizeof font,
                     &font) != 0) {
        font.lfUnderline = TRUE;
        underlinedFont = ::CreateFontIndirectW(&font);
    }
    CreateTooltip();
    ::InvalidateRect(control, nullptr, TRUE);
    return true;
}

void LinkLabel::SetTarget(std::wstring address) {
    target = std::move(address);
    if (tooltip != nullptr) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = ::GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = target.data();
        ::SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool LinkLabel::Open() {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        return false;
    }
    visited = true;
    if (control != nullptr) {
        ::InvalidateRect(control, nullptr, TRUE);
    }
    return true;
}

void LinkLabel::CreateTooltip() {
    tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                ::GetParent(control), nullptr, nullptr, nullptr);
    if (tooltip == nullptr) {
        return;
    }
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = target.data();
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void LinkLabel::Detach() {
    if (control == nullptr) {
        return;
    }
    ::RemoveWindowSubclass(control, &SubclassProc, kSubclassId);
    control = nullptr;
    // The tooltip is owned by the dialog and goes with it; it is only forgotten here.
    tooltip = nullptr;
}

RECT LinkLabel::TextRect() {
    RECT rect{};
    ::GetClientRect(control, &rect);
    const std::wstring text = WindowText(control);
    HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, underlinedFont);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, kTextFormat | DT_CALCRECT);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return rect;
}

bool LinkLabel::OverText(POINT client) {
    const RECT rect = TextRect();
    return ::PtInRect(&rect, client) != FALSE;
}

void LinkLabel::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(control, &paint);
    RECT client{};
    ::GetClientRect(control, &client);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(control), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(control)));
    ::FillRect(dc, &client, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring text = WindowText(control);
    const HGDIOBJ previous = ::SelectObject(dc, underlinedFont);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, visited ? visitedColour : linkColour);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, kTextFormat);
    ::SelectObject(dc, previous);
    ::EndPaint(control, &paint);
}

LRESULT LinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_NCHITTEST: {
        // A static without SS_NOTIFY lets the mouse through to the dialog; over its text this one
        // takes it.
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ScreenToClient(control, &point);
        return OverText(point) ? HTCLIENT : HTTRANSPARENT;
    }
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONDOWN:
        pressed = true;
        ::SetCapture(control);
        return 0;
    case WM_LBUTTONUP: {
        const bool click = pressed && ::GetCapture() == control;
        pressed = false;
        ::ReleaseCapture();
        if (click &&
            OverText({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))})) {
            Open();
        }
        return 0;
    }
    case WM_NCDESTROY: {
        const HWND window = control;
        Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    default:
        return ::DefSubclassProc(control, message, wParam, lParam);
    }
}

LRESULT CALLBACK LinkLabel::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
    return reinterpret_cast<LinkLabel*>(self)->HandleMessage(message, wParam, lParam);
}

} // namespace velmora
