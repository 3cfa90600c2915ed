// A one-line progress bar on the terminal (stderr), redrawn in place; silent when stderr is not
// a terminal or the user asked for quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class ProgressBar {
  public:
    ProgressBar(std::uint64_t total, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Shows done of total, with a label (UTF-8) for the item at work; redraws at most ten
    // times a second.
    void Update(std::uint64_t done, const std::string& label);
    // Clears the line.
    void Finish();

  private:
    std::uint64_t total_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_;
};
