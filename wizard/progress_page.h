// CInstall: the progress page. Becoming the current page starts the run (install or uninstall)
// that the sheet's idle hook then steps; it hands over to the uninstall run for the clean-up
// after installing over an earlier installation and for the rollback of a failed install.
#pragma once

#include "base/registry.h"
#include "install/progress_page_controls.h"
#include "wizard/install_page.h"

class CInstallPageTracker;
class CUninstallPageTracker;
class SInstallPageTracker;

class CInstall : public CInstallPage, public CProgressPageControls {
  public:
    explicit CInstall(CInstallSheet* sheet);
    // PSN_SETACTIVE starts the run, PSN_KILLACTIVE lets both runs go; PSN_WIZFINISH (a
    // wizard without a finish page) ends the wizard with 1.
    int OnPageNotify(int controlId, NMHDR* header) override;

    // The run whose Step the sheet calls, or null.
    SInstallPageTracker* ActiveRun() const { return active_; }
    // The active run's Step failed: the uninstall run undoes what the install run added.
    void OnRunFailed();
    // A run has completed.
    void RunFinished(SInstallPageTracker* run) override;

  private:
    void StartRun();
    void StopRuns();
    // AttachPage for the run; a run that completes while it prepares is finished afterwards.
    int Attach(SInstallPageTracker* run);
    // Makes the uninstall run the active one and starts it.
    void HandOverToUninstall();
    void ShowCompletion();

    SInstallPageTracker* active_ = nullptr;
    CInstallPageTracker* installRun_ = nullptr;
    CUninstallPageTracker* uninstallRun_ = nullptr;
    ClCompactRegistry sharedDlls_;
    bool attaching_ = false;
    SInstallPageTracker* finishedWhileAttaching_ = nullptr;
    bool rolledBack_ = false;
};
