#include "ui/modal_helpers.h"

HWND GetTopLevelWindow(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    // A signed style above zero: WS_POPUP (the sign bit) is clear and the style is not 0.
    while (static_cast<LONG>(GetWindowLongA(hwnd, GWL_STYLE)) > 0) {
        HWND parent = GetParent(hwnd);
        if (!parent)
            break;
        hwnd = parent;
    }
    return hwnd;
}

BOOL PumpPendingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT)
            return FALSE;
        if (!GetMessageA(&msg, nullptr, 0, 0))
            return FALSE;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}
