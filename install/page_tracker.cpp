#include "install/page_tracker.h"

#include "tree/tree.h"

SInstallPageTracker::SInstallPageTracker() {
    for (int i = 0; i < kProgressBarCount; ++i)
        counters[i] = SProgressCounter{static_cast<ProgressBar>(i), 0, 1, 0};
}

SInstallPageTracker::~SInstallPageTracker() {
    ClTreeDestroy(logTree);
    ClTreeDestroy(earlierSetupTree);
}

int SInstallPageTracker::AttachPage(IRunProgress* pageProgress) {
    progress = pageProgress;
    if (logTree == nullptr && (logTree = ClTreeCreate()) == nullptr)
        return 0;
    return Prepare();
}
