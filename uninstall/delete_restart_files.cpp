#include "uninstall/delete_restart_files.h"

#include <commctrl.h>

#include <cstdlib>

#include "base/messages.h"
#include "resources/string_ids.h"
#include "resources/ui_ids.h"

namespace {

// The largest range of the bar that this window uses.
constexpr std::uint32_t kRangeLimit = 32766;

}  // namespace

INT_PTR CDeleteRestartFiles::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        if (char* title = LoadResourceString(instance_, IDS_UNINSTALLING_FILES)) {
            SetWindowTextA(GetHwnd(), title);
            std::free(title);
        }
        progress_ = GetDlgItem(GetHwnd(), IDC_RESTART_PROGRESS);
    }
    return ClDialog::DialogProc(msg, wParam, lParam);
}

void CDeleteRestartFiles::SetTotal(std::uint32_t total) {
    divisor_ = total > kRangeLimit ? total / (kRangeLimit + 1) : 1;
    done_ = 0;
    SendMessageA(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, total / divisor_));
    SendMessageA(progress_, PBM_SETPOS, 0, 0);
}

void CDeleteRestartFiles::Step() {
    ++done_;
    SendMessageA(progress_, PBM_SETPOS, done_ / divisor_, 0);
}
