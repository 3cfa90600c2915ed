// CUninstallPageTracker: the uninstall run that the progress page steps. Until the run itself
// lands it only reports its phase and finishes at its first step.
#pragma once

#include "install/install_run.h"
#include "install/page_tracker.h"

class CUninstallPageTracker : public SInstallPageTracker {
  public:
    explicit CUninstallPageTracker(const SInstallRunContext& runContext) : context(runContext) {}

    int Prepare() override { return 1; }
    void Release() override {}
    void Start() override;
    int Step() override;

    SInstallRunContext context;
};
