// CUninstallPageTracker: the uninstall run, stepped by the progress page like the install run.
// It walks an install log and removes what the log allows, one file or registry value per step,
// then folders and registry keys bottom-up. Three occasions use it:
//   - uninstalling (run mode uninstall): the product's loaded log, every count 0; everything
//     goes that is not marked never-remove;
//   - the clean-up after an install over an earlier installation (install mode): the install
//     log as the run left it; only empty folders and registry keys that nothing counts any more
//     go, no file and no registry value (the data file keeps those, install/log_entry.h);
//   - the rollback after a failed install (install mode): the failed run's own log; besides
//     folders and keys it takes back the files the run created where none stood and the
//     SharedDLLs counts it raised (install/install_log.h).
// Files that must wait for the next restart go to the pending-deletion list.
#pragma once

#include <windows.h>

#include <cstdint>

#include "install/page_tracker.h"
#include "uninstall/entry_path.h"

struct ClTreeNode;
struct SSetupInfo;

// What the wizard lends the run; it owns none of it.
struct SUninstallRunContext {
    SSetupInfo* info;    // OPT_RESTART_UNINSTALL is set here when the list cannot take a path
    HANDLE pendingList;  // the pending-deletion list, held open by the wizard
    char* listBuffer;    // its work buffer: listBufferSize + 1 bytes
    std::uint32_t listBufferSize;
    HKEY sharedDlls;        // HKLM\...\CurrentVersion\SharedDLLs, open for writing
    std::uint8_t runFlags;  // the run mode is runFlags & 7
};

class CUninstallPageTracker : public SInstallPageTracker {
  public:
    explicit CUninstallPageTracker(const SUninstallRunContext& runContext);

    // Nothing to make: 1.
    int Prepare() override;
    void Release() override;
    // Counts the entries to walk, shows the phase and the bar; from here on the sheet can only
    // be closed.
    void Start() override;
    // Handles one file or registry value of the log; after the last one removes the folders and
    // keys and tells the page that the run has finished. Always 1: nothing here fails the run.
    int Step() override;

    SUninstallRunContext context;

  private:
    std::uint8_t Mode() const;
    void RemoveValue(ClTreeNode* entry);
    void RemoveFile(ClTreeNode* entry);
    void TakeBackFile(ClTreeNode* entry);
    void DeferToRestart(ClTreeNode* entry);
    void ListForRestart(const char* path);
    void RemoveKeysBelow(ClTreeNode* key);
    void RemoveKey(ClTreeNode* key);
    void Finish();

    ClTreeNode* current_ = nullptr;
    std::int32_t depth_ = 0;
    bool finished_ = true;
    char path_[kEntryPathSize] = {};
};
