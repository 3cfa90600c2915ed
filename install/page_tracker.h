// SInstallPageTracker: the base of the two run drivers that the progress page steps from the
// wizard's idle hook, one small piece of work per call (the install run, install/install_run.h,
// and the uninstall run).
#pragma once

#include "install/run_progress.h"
#include "package/layout/disk_list.h"

class ClTree;

class SInstallPageTracker {
  public:
    SInstallPageTracker();
    // Destroys the two trees.
    virtual ~SInstallPageTracker();
    SInstallPageTracker(const SInstallPageTracker&) = delete;
    SInstallPageTracker& operator=(const SInstallPageTracker&) = delete;

    // Makes what the run needs; non-zero on success.
    virtual int Prepare() = 0;
    // Frees what Prepare made; safe more than once.
    virtual void Release() = 0;
    // Shows the run's phase and its progress bar.
    virtual void Start() = 0;
    // One piece of work: 1 to be called again, 0 when the run has failed.
    virtual int Step() = 0;

    // Binds the run to the display of its page, creates the log tree and prepares the run:
    // Prepare's result, or 0 when the tree cannot be made.
    int AttachPage(IRunProgress* pageProgress);

    // Shows text in the page's detail line (the entry being processed).
    void ShowDetail(const char* text);
    // Shows string id in the page's phase line.
    void ShowPhase(unsigned id);

    IRunProgress* progress = nullptr;
    // The steppers of the three bars A, B and C; the runs move B.
    SProgressCounter counters[kProgressBarCount];
    CMakeDiskList disks;
    // The install log, owned. The progress page may exchange it with a log of its own.
    ClTree* logTree = nullptr;
    // The component tree of an earlier installation, or null; owned.
    ClTree* earlierSetupTree = nullptr;
};
