#include "install/run_progress.h"

namespace {

// A progress bar's range is a 16-bit signed number.
constexpr std::uint32_t kMaxBarRange = 32767;

}  // namespace

void ProgressInit(SProgressCounter* counter, std::uint32_t total) {
    counter->count = 0;
    counter->total = total;
    if (total > 0)
        counter->step = total / kMaxBarRange + (total % kMaxBarRange != 0 ? 1 : 0);
}

void ProgressShow(const SProgressCounter* counter, IRunProgress* progress) {
    if (counter->total > 0)
        progress->SetBar(counter->bar, counter->total / counter->step, 0);
    else
        progress->SetBar(counter->bar, 1, 1);
}

void ProgressTick(SProgressCounter* counter, IRunProgress* progress) {
    if (counter->total == 0)
        return;
    if (++counter->count >= counter->step) {
        progress->StepBar(counter->bar);
        counter->count = 0;
    }
}
