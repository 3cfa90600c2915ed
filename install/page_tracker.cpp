#include "install/page_tracker.h"

#include <cstdlib>

#include "base/messages.h"
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

void SInstallPageTracker::ShowDetail(const char* text) {
    progress->SetStatus(LINE_DETAIL, text);
}

void SInstallPageTracker::ShowPhase(unsigned id) {
    char* text = LoadResourceString(nullptr, id);
    progress->SetStatus(LINE_PHASE, text ? text : "");
    std::free(text);
}
