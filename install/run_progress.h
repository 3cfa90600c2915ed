// What a run shows while the progress page steps it, and the step counters of its bars.
//
// The runs never touch a window themselves: they report through IRunProgress, which the
// progress page implements over its controls (install/progress_page_controls.h), so that a run
// can also be stepped where another implementation stands in for the page.
#pragma once

#include <windows.h>

#include <cstdint>

class SInstallPageTracker;

// The three progress bars of the page, top to bottom.
enum ProgressBar { BAR_TOP = 0, BAR_MIDDLE = 1, BAR_BOTTOM = 2, kProgressBarCount = 3 };
// The two status lines: the phase of the run and the entry being processed.
enum StatusLine { LINE_PHASE = 0, LINE_DETAIL = 1 };

class IRunProgress {
  public:
    virtual ~IRunProgress() = default;
    // Sets the bar's range to 0..range with a step of 1 and its position.
    virtual void SetBar(ProgressBar bar, std::uint32_t range, std::uint32_t position) = 0;
    // Moves the bar on by one step.
    virtual void StepBar(ProgressBar bar) = 0;
    // Replaces the text of a status line.
    virtual void SetStatus(StatusLine line, const char* text) = 0;
    // The window that owns the run's message boxes.
    virtual HWND Owner() = 0;
    // From here on the run cannot be cancelled: the sheet's Cancel becomes Close.
    virtual void CancelToClose() = 0;
    // The run has completed; it is not stepped again.
    virtual void RunFinished(SInstallPageTracker* run) = 0;
};

// A bar's step counter: a total of any size moves the bar through a range of at most 32767.
struct SProgressCounter {
    ProgressBar bar;
    std::uint32_t count;
    std::uint32_t step;  // ticks per step of the bar
    std::uint32_t total;
};

// count := 0, total := total; a positive total gets the step total / 32767 rounded up.
void ProgressInit(SProgressCounter* counter, std::uint32_t total);
// Shows the counter's range on its bar, at 0; a total of 0 shows a full bar.
void ProgressShow(const SProgressCounter* counter, IRunProgress* progress);
// Counts one tick (only with a positive total); every step-th tick moves the bar.
void ProgressTick(SProgressCounter* counter, IRunProgress* progress);
