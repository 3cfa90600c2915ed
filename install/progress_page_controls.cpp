#include "install/progress_page_controls.h"

#include <commctrl.h>
#include <prsht.h>

#include "resources/install_ids.h"

namespace {

constexpr int kBarIds[kProgressBarCount] = {IDC_PROGRESS_TOP, IDC_PROGRESS_MIDDLE,
                                            IDC_PROGRESS_BOTTOM};
constexpr int kIconStaticIds[kProgressBarCount] = {IDC_ICON_TOP, IDC_ICON_MIDDLE, IDC_ICON_BOTTOM};
constexpr int kIconIds[kProgressBarCount] = {IDI_PROGRESS_PACKAGE, IDI_PROGRESS_FILES,
                                             IDI_PROGRESS_DISK};

// How long one idle turn may step a run before the messages (repaints, input) come again.
constexpr ULONGLONG kStepSliceMs = 50;

}  // namespace

int CProgressPageControls::Attach(HWND page, HINSTANCE instance) {
    page_ = page;
    phase_ = GetDlgItem(page, IDC_PHASE_TEXT);
    detail_ = GetDlgItem(page, IDC_DETAIL_TEXT);
    if (phase_ == nullptr || detail_ == nullptr)
        return 0;
    for (int i = 0; i < kProgressBarCount; ++i) {
        bars_[i] = GetDlgItem(page, kBarIds[i]);
        HWND iconStatic = GetDlgItem(page, kIconStaticIds[i]);
        // Icons loaded this way are shared by the module: nothing to destroy.
        HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(kIconIds[i]));
        if (bars_[i] == nullptr || iconStatic == nullptr || icon == nullptr)
            return 0;
        SendMessageA(iconStatic, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    return 1;
}

void CProgressPageControls::SetBar(ProgressBar bar, std::uint32_t range, std::uint32_t position) {
    Freeze(bars_[bar]);
    SendMessageA(bars_[bar], PBM_SETRANGE, 0, MAKELPARAM(0, range));
    SendMessageA(bars_[bar], PBM_SETSTEP, 1, 0);
    SendMessageA(bars_[bar], PBM_SETPOS, position, 0);
}

void CProgressPageControls::StepBar(ProgressBar bar) {
    Freeze(bars_[bar]);
    SendMessageA(bars_[bar], PBM_STEPIT, 0, 0);
}

void CProgressPageControls::SetStatus(StatusLine line, const char* text) {
    HWND control = line == LINE_PHASE ? phase_ : detail_;
    Freeze(control);
    SetWindowTextA(control, text);
}

HWND CProgressPageControls::Owner() {
    // A message box is coming: the page behind it shows where the run stands.
    if (held_) {
        ReleasePainting();
        HoldPainting();
    }
    return page_;
}

void CProgressPageControls::CancelToClose() {
    SendMessageA(GetParent(page_), PSM_CANCELTOCLOSE, 0, 0);
}

void CProgressPageControls::HoldPainting() {
    held_ = true;
}

void CProgressPageControls::ReleasePainting() {
    held_ = false;
    for (int i = 0; i < frozenCount_; ++i) {
        SendMessageA(frozen_[i], WM_SETREDRAW, TRUE, 0);
        // Painted now: whoever looks when the slice ends (the user, a screenshot) sees it.
        RedrawWindow(frozen_[i], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    frozenCount_ = 0;
}

void CProgressPageControls::StepSlice(const std::function<bool()>& step) {
    HoldPainting();
    const ULONGLONG start = GetTickCount64();
    while (step() && GetTickCount64() - start < kStepSliceMs &&
           HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) == 0) {
    }
    ReleasePainting();
}

void CProgressPageControls::Freeze(HWND control) {
    if (!held_)
        return;
    for (int i = 0; i < frozenCount_; ++i) {
        if (frozen_[i] == control)
            return;
    }
    // A hidden control paints nothing, and WM_SETREDRAW TRUE would show it.
    if (!(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE))
        return;
    // WM_SETREDRAW FALSE makes the control's own immediate painting (the bars' UpdateWindow, the
    // static's repaint on new text) a no-op while its value still changes.
    SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    frozen_[frozenCount_++] = control;
}
