// IRunProgress over the controls of the progress page (template IDD_PROGRESS_PAGE): the three
// bars, the two status lines and the icons beside the bars. The page that hosts a run derives
// from it and says what happens when the run has finished.
#pragma once

#include <windows.h>

#include "install/run_progress.h"

class CProgressPageControls : public IRunProgress {
  public:
    // Takes the controls of page (a window made from IDD_PROGRESS_PAGE) and sets the icons of
    // instance into their statics. 1, or 0 when a control or an icon is missing.
    int Attach(HWND page, HINSTANCE instance);

    void SetBar(ProgressBar bar, std::uint32_t range, std::uint32_t position) override;
    void StepBar(ProgressBar bar) override;
    void SetStatus(StatusLine line, const char* text) override;
    // The page.
    HWND Owner() override;
    // PSM_CANCELTOCLOSE to the page's parent, the sheet.
    void CancelToClose() override;

  private:
    HWND page_ = nullptr;
    HWND bars_[kProgressBarCount] = {};
    HWND phase_ = nullptr;
    HWND detail_ = nullptr;
};
