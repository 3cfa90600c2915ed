// CInstallSheet: the wizard, for installing and uninstalling. From the setup information and the
// run mode it decides which pages exist and in which order, detects an earlier installation,
// keeps the user's choices, holds the instance lock (the pending-deletion list, open without
// sharing) and the two runs, and steps the active run from its idle hook, so that the runs need
// no thread of their own. User-interface thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "base/win_handles.h"
#include "install/install_run.h"
#include "package/decode/compress.h"
#include "setupinfo/setup_info.h"
#include "ui/property_sheet.h"
#include "uninstall/uninstall_run.h"
#include "wizard/install_info.h"

class ClTree;
class CInstall;
class CInstallPage;

class CInstallSheet : public ClPropertySheet {
  public:
    // itemTree: the package's components, which the item page shows (null when uninstalling).
    CInstallSheet(HINSTANCE instance, ClTree* itemTree);
    ~CInstallSheet() override;

    // Set by the driver before Initialise: SSetupContext.runFlags and where the package starts
    // in the program file.
    std::uint8_t runFlags = 0;
    std::uint64_t packageOffset = 0;

    // Readies the wizard: the runs, the earlier installation (installing: found through the
    // product's Uninstall key; uninstalling: the data file the command line names), the pages
    // and the lock. FALSE after telling the user why (messages 30, 29, 26, 31, 5, 25, 24), or
    // when memory runs out.
    BOOL Initialise(SSetupInfo* info);
    // Rebuild the page list behind the leading pages (warning, licence, mode): start,
    // progress, finish; or item selection, destination, start, progress, finish. 1.
    BOOL SetStandardPages();
    BOOL SetCustomPages();
    // Called by every page when it is initialised: the first call centres the sheet.
    void OnFirstPageInit(HWND sheet);
    // Centres window on its parent (or the screen) and keeps it on the screen.
    static void CenterWindow(HWND window);

    // The first page is activated again now that the sheet is bound, the caption set and the
    // pages told that the wizard starts; then the modal loop. The lock is let go at its end.
    int RunModal(HWND owner) override;
    // Steps the active run for one slice of time while there is one; waits for a message
    // otherwise.
    void OnIdle() override;
    void OnSheetOK() override;
    // Once the run has completed, the wizard has done its work however it is closed: it ends
    // with 1, so that the driver counts the product and schedules what the next logon owes.
    int EndSheet(int code) override;
    // While a run is active the wizard cannot be cancelled or closed: it would leave half an
    // installation behind.
    LRESULT OnCommand(HWND control, WORD id, WORD notifyCode) override;
    LRESULT OnSysCommand(UINT command, POINT point, LPARAM lParam) override;

    HINSTANCE Instance() const { return instance_; }
    // The active setup information: the package's when installing, the earlier installation's
    // when uninstalling.
    SSetupInfo* Info() const { return info_; }
    bool Uninstalling() const;
    CInstallInfo& Choices() { return choices_; }
    // 1 when the custom page list is in effect: the install run then takes the user's choices.
    int custom = 0;
    ClTree* ItemTree() const { return itemTree_; }
    // The earlier installation's components and what it installed; null without one. The
    // progress page exchanges the record with a run's log.
    ClTree* PreviousItemTree() const { return previousItems_; }
    ClTree*& PreviousRecord() { return previousRecord_; }
    CInstallPageTracker* InstallRun() const { return installRun_.get(); }
    CUninstallPageTracker* UninstallRun() const { return uninstallRun_.get(); }
    // What both runs borrow from the wizard, with the SharedDLLs key the progress page opened.
    SInstallRunContext RunContext(HKEY sharedDlls);
    // The progress page while it is the current page (its runs are stepped), else null.
    void RegisterProgressPage(CInstall* page) { progress_ = page; }
    // The progress page reports that the install or uninstall has been done.
    void RunCompleted() { completed_ = true; }

  private:
    enum PageSlot {
        SLOT_WARNING,
        SLOT_LICENCE,
        SLOT_MODE,
        SLOT_DEST,
        SLOT_ITEMS,
        SLOT_START,
        SLOT_PROGRESS,
        SLOT_FINISH,
        kSlotCount
    };

    // Shows message id with no owner; FALSE.
    static BOOL Refuse(UINT id);
    BOOL LoadEarlierInstallation(SSetupInfo* info);
    CInstallPage* NewPage(PageSlot slot);
    BOOL CreatePages();
    // Gives the items installed earlier the check bits of the item tree.
    void MarkPreviousItems();
    BOOL OpenLock();
    // Replaces the pages behind the leading ones by the slots given.
    BOOL SetPagesBehindLeading(std::initializer_list<PageSlot> slots);
    bool RunActive() const;

    HINSTANCE instance_;
    std::unique_ptr<CInstallPage> pages_[kSlotCount];
    SSetupInfo* info_ = nullptr;
    CInstallInfo choices_;
    SInstallChoice choice_ = {};
    ClTree* itemTree_;
    CInstall* progress_ = nullptr;
    bool centred_ = false;
    bool completed_ = false;
    SSetupInfo ownInfo_;
    ClTree* previousItems_ = nullptr;
    ClTree* previousRecord_ = nullptr;
    std::uint8_t previousSelection_ = 0;
    std::vector<char> listBuffer_;
    ClFileHandle lock_;
    SCompress codec_;
    std::unique_ptr<CInstallPageTracker> installRun_;
    std::unique_ptr<CUninstallPageTracker> uninstallRun_;
};
