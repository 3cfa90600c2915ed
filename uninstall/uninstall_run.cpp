#include "uninstall/uninstall_run.h"

#include <cstdlib>

#include "base/messages.h"
#include "base/run_flags.h"
#include "resources/string_ids.h"

void CUninstallPageTracker::Start() {
    char* phase = LoadResourceString(nullptr, RunMode(context.runFlags) == RUN_MODE_UNINSTALL
                                                  ? IDS_UNINSTALLING
                                                  : IDS_REMOVING_OLD_FILES);
    progress->SetStatus(LINE_PHASE, phase != nullptr ? phase : "");
    std::free(phase);
    progress->CancelToClose();
}

int CUninstallPageTracker::Step() {
    progress->RunFinished(this);
    return 1;
}
