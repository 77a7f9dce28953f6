// A stand-in for the Skype client's windows, run as a process of its own: an
// API window, a main form without pages in front of a main form with the page
// control, the two lists and the address bar around a real edit control.
// Ends when its API window closes.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <initializer_list>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetWindowLongPtrA(window, GWLP_USERDATA) == 1) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND Make(const char* className, const char* title, HWND parent, int x, int y, int w, int h) {
    const DWORD style =
        parent ? WS_CHILD | WS_VISIBLE | WS_BORDER : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    return CreateWindowExA(0, className, title, style, x, y, w, h, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main() {
    for (const char* name :
         {"tSkApiWindow", "tSkMainForm.UnicodeClass", "TTntPageControl.UnicodeClass",
          "tSkContactList.UnicodeClass", "tSkBgGrid.UnicodeClass", "tSkAddressbar.UnicodeClass"}) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        RegisterClassA(&wc);
    }
    HWND api = Make("tSkApiWindow", "api", nullptr, 0, 0, 100, 50);
    SetWindowLongPtrA(api, GWLP_USERDATA, 1);
    ShowWindow(api, SW_HIDE);
    HWND form = Make("tSkMainForm.UnicodeClass", "form with pages", nullptr, 100, 100, 600, 400);
    Make("Edit", "", Make("tSkAddressbar.UnicodeClass", "address bar", form, 10, 10, 560, 40), 5, 5,
         500, 24);
    HWND pages = Make("TTntPageControl.UnicodeClass", "pages", form, 10, 60, 300, 300);
    Make("tSkContactList.UnicodeClass", "contacts", pages, 0, 30, 300, 270);
    Make("tSkBgGrid.UnicodeClass", "history", pages, 0, 30, 300, 270);
    // The form without pages comes first when the windows are enumerated.
    HWND bare = Make("tSkMainForm.UnicodeClass", "form without pages", nullptr, 50, 50, 200, 100);
    SetWindowPos(bare, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
