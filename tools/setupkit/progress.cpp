#include "tools/setupkit/progress.h"

#include <cstdio>

#include "tools/setupkit/host.h"

namespace {

constexpr int kBarWidth = 30;
constexpr std::size_t kLabelWidth = 40;

// The last width bytes of a UTF-8 label, cut at a character boundary.
std::string Tail(const std::string& label, std::size_t width) {
    if (label.size() <= width)
        return label;
    std::size_t at = label.size() - width;
    while (at < label.size() && (static_cast<unsigned char>(label[at]) & 0xC0) == 0x80)
        ++at;
    return "..." + label.substr(at);
}

}  // namespace

ProgressBar::ProgressBar(std::uint64_t total, bool enabled)
    : total_(total), enabled_(enabled && StderrIsTerminal()) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(std::uint64_t done, const std::string& label) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100))
        return;
    lastDraw_ = now;
    drawn_ = true;
    const double fraction = total_ ? static_cast<double>(done) / static_cast<double>(total_) : 1.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kBarWidth, '-');
    std::fprintf(stderr, "\r\033[K[%s] %3d%%  %s", bar.c_str(), static_cast<int>(fraction * 100),
                 Tail(label, kLabelWidth).c_str());
    std::fflush(stderr);
}

void ProgressBar::Finish() {
    if (enabled_ && drawn_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }
    drawn_ = false;
}
