// CDeleteRestartFiles: the small window that shows the progress of the restart-time deletion.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/dialog.h"

class CDeleteRestartFiles : public ClDialog {
  public:
    explicit CDeleteRestartFiles(HINSTANCE instance) : ClDialog(nullptr, instance) {}

    // WM_INITDIALOG sets the title and finds the progress bar; the rest is ClDialog's.
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The deletion cannot stop halfway: closing the window is ignored.
    void OnOK() override {}
    void OnCancel() override {}

    // Sets the bar to 0 of total entries.
    void SetTotal(std::uint32_t total);
    // One more entry done.
    void Step();

  private:
    HWND progress_ = nullptr;
    // More entries than the bar's 16-bit range holds move it once per divisor entries.
    std::uint32_t divisor_ = 1;
    std::uint32_t done_ = 0;
};
