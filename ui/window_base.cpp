#include "ui/window_base.h"

#include <memory>
#include <new>

#include "ui/modal_helpers.h"

ClWindowBase::~ClWindowBase() {
    if (ownsWindow_ && hwnd_)
        Destroy();
    if (record_)
        Unsubclass();
}

BOOL ClWindowBase::Attach(HWND hwnd, BOOL owns) {
    if (!IsWindow(hwnd))
        return FALSE;
    if (record_)
        Unsubclass();
    if (ownsWindow_ && hwnd_ && IsWindow(hwnd_))
        Destroy();
    ownsWindow_ = owns;
    hwnd_ = hwnd;
    return TRUE;
}

BOOL ClWindowBase::Destroy() {
    if (!hwnd_ || !IsWindow(hwnd_))
        return 0;
    BOOL destroyed = DestroyWindow(hwnd_);
    if (record_)
        Unsubclass();
    hwnd_ = nullptr;
    return destroyed;
}

BOOL ClWindowBase::Subclass() {
    if (!IsWindow(hwnd_) || record_)
        return FALSE;
    if (GetWindowLongPtrA(hwnd_, GWLP_USERDATA) != 0)
        return FALSE;
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC));
    if (!previous)
        return FALSE;
    record_ = new (std::nothrow) SSubclassRecord{kSubclassTag, previous, this};
    if (!record_)
        return FALSE;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record_));
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWindowProc));
    return TRUE;
}

LONG_PTR ClWindowBase::Unsubclass() {
    if (!IsWindow(hwnd_)) {
        delete record_;
        record_ = nullptr;
        return 0;
    }
    if (!record_ || GetWindowLongPtrA(hwnd_, GWLP_USERDATA) == 0)
        return 0;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record_->previous));
    delete record_;
    record_ = nullptr;
    return GetWindowLongPtrA(hwnd_, GWLP_WNDPROC);
}

LRESULT CALLBACK ClWindowBase::SubclassWindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* record = reinterpret_cast<SSubclassRecord*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!record || record->tag != kSubclassTag)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    ClWindowBase* object = record->object;
    if (msg != WM_DESTROY)
        return object->WindowProc(msg, wParam, lParam);
    // The window goes: the object lets go of it and the previous procedure still sees
    // WM_DESTROY.
    WNDPROC previous = record->previous;
    object->WindowProc(msg, wParam, lParam);
    if (object->record_)
        object->Unsubclass();
    object->hwnd_ = nullptr;
    return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

LRESULT ClWindowBase::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!record_)
        return 0;
    return CallWindowProcA(record_->previous, hwnd_, msg, wParam, lParam);
}

LRESULT ClWindowBase::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallPrevious(msg, wParam, lParam);
}

void ClWindowBase::EndModal(std::uint16_t code) {
    result_ = code | kEndRequested;
}

void ClWindowBase::OnIdle() {
    WaitMessage();
}

int ClWindowBase::DispatchLoopMessage(MSG* msg) {
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return 0;
}

int ClWindowBase::Enable(BOOL enable) {
    EnableWindow(hwnd_, enable);
    return 1;
}

int ClWindowBase::RunModal(HWND owner) {
    HWND top = GetTopLevelWindow(owner);
    SetActiveWindow(hwnd_);

    // The owner chain is disabled while the loop runs; what was disabled before stays so.
    int chainLength = 0;
    for (HWND window = top; window; window = GetParent(window))
        ++chainLength;
    std::unique_ptr<std::uint8_t[]> wasEnabled;
    if (chainLength > 0) {
        wasEnabled.reset(new (std::nothrow) std::uint8_t[chainLength]);
        if (!wasEnabled)
            return kModalNoMemory;
        HWND window = top;
        for (int i = 0; i < chainLength && window; ++i, window = GetParent(window)) {
            wasEnabled[i] = IsWindowEnabled(window) ? 1 : 0;
            EnableWindow(window, FALSE);
        }
    }

    result_ = 0;
    RunLoop();

    HWND window = top;
    for (int i = 0; i < chainLength && window; ++i, window = GetParent(window)) {
        if (wasEnabled[i])
            EnableWindow(window, TRUE);
    }
    PumpPendingMessages();
    return static_cast<std::int16_t>(result_ & 0xFFFF);
}

void ClWindowBase::RunLoop() {
    for (;;) {
        MSG msg;
        while (!EndRequested() && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (msg.message == WM_QUIT) {
                // Left in the queue for the caller's own loop.
                EndModal(static_cast<std::uint16_t>(kModalQuit));
                break;
            }
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                DispatchLoopMessage(&msg);
                result_ |= kEndRequested;
                break;
            }
            if (!hwnd_ || !IsDialogMessageA(hwnd_, &msg))
                DispatchLoopMessage(&msg);
        }
        if (EndRequested())
            return;
        // Checked before idling: the default idle hook would otherwise wait for a message that
        // may never come once the window is gone.
        if (!hwnd_ || !IsWindow(hwnd_)) {
            EndModal(static_cast<std::uint16_t>(kModalWindowGone));
            return;
        }
        OnIdle();
    }
}
