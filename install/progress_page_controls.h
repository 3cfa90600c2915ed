// IRunProgress over the controls of the progress page (template IDD_PROGRESS_PAGE): the three
// bars, the two status lines and the icons beside the bars. The page that hosts a run derives
// from it and says what happens when the run has finished.
//
// The bars and the status lines paint themselves at once on every change. Between HoldPainting
// and ReleasePainting a changed control keeps its new value without painting, and paints once
// at the release: a run stepped many items per turn (StepSlice) then repaints once per turn, not
// once per item, which under Wine cost more than installing a small file.
#pragma once

#include <windows.h>

#include <functional>

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

    void HoldPainting();
    // Paints the controls changed since HoldPainting and lets them paint themselves again.
    void ReleasePainting();
    // One idle turn of a run: calls step until it returns false (no run left to step), a slice
    // of 50 ms has passed or a message other than a repaint waits, with painting held. Input
    // waits at most one slice.
    void StepSlice(const std::function<bool()>& step);

  private:
    // Stops control from painting until ReleasePainting, if the page holds painting.
    void Freeze(HWND control);

    HWND page_ = nullptr;
    HWND bars_[kProgressBarCount] = {};
    HWND phase_ = nullptr;
    HWND detail_ = nullptr;
    bool held_ = false;
    // The controls frozen since HoldPainting: at most the three bars and the two lines.
    HWND frozen_[kProgressBarCount + 2] = {};
    int frozenCount_ = 0;
};
