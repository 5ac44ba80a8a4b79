#pragma once

#include <string>
#include <windows.h>

namespace velmora {

// A static control turned into a hyperlink: its own text drawn underlined in the link colour (the
// visited colour once its target has opened), a hand pointer and a tooltip over the text, and a
// click on the text that opens the target with the shell.
class LinkLabel {
public:
    LinkLabel(COLORREF linkColour, COLORREF visitedColour);
    ~LinkLabel();
    LinkLabel(const LinkLabel&) = delete;
    LinkLabel& operator=(const LinkLabel&) = delete;

    // Takes over the control's window procedure; false leaves the control a plain static.
    bool Attach(HWND control);
    void SetTarget(std::wstring address);
    // Opens the target; true when the shell reports success.
    bool Open();

    bool Visited() const { return visited; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    RECT TextRect();
    bool OverText(POINT client);
    void CreateTooltip();
    void Detach();

    COLORREF linkColour;
    COLORREF visitedColour;
    std::wstring target;
    HWND control = nullptr;
    HWND tooltip = nullptr;
    HFONT underlinedFont = nullptr; // created from the control's font; deleted by this object
    bool visited = false;
    bool pressed = false;
};

} // namespace velmora
