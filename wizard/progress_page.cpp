#include "wizard/progress_page.h"

#include <cstdlib>
#include <utility>

#include "base/messages.h"
#include "resources/install_ids.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"
#include "wizard/install_sheet.h"
#include "wizard/wizard_messages.h"

namespace {

constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

}  // namespace

CInstall::CInstall(CInstallSheet* sheet) : CInstallPage(IDD_PROGRESS_PAGE, sheet) {}

int CInstall::OnPageNotify(int controlId, NMHDR* header) {
    const UINT code = header->code;
    if (code == PSN_SETACTIVE)
        StartRun();
    else if (code == PSN_KILLACTIVE)
        StopRuns();
    else if (code == PSN_WIZFINISH)
        Sheet()->EndSheet(1);
    else
        return CInstallPage::OnPageNotify(controlId, header);
    return 0;
}

int CInstall::Attach(SInstallPageTracker* run) {
    attaching_ = true;
    int prepared = run->AttachPage(this);
    attaching_ = false;
    return prepared;
}

void CInstall::StartRun() {
    CInstallSheet* sheet = Sheet();
    sheet->SetWizButtons(0);
    // Cancelling half-way would leave half an installation: the sheet ignores Cancel while a
    // run is active, and the button says so.
    EnableWindow(::GetDlgItem(sheet->GetHwnd(), IDCANCEL), FALSE);
    installRun_ = sheet->InstallRun();
    uninstallRun_ = sheet->UninstallRun();
    sheet->RegisterProgressPage(this);
    if (!sharedDlls_.Create(HKEY_LOCAL_MACHINE, kSharedDllsKey) || installRun_ == nullptr ||
        uninstallRun_ == nullptr || !CProgressPageControls::Attach(GetHwnd(), sheet->Instance())) {
        Fail(IDS_INIT_FAILED);
        return;
    }
    SInstallRunContext context = sheet->RunContext(sharedDlls_.key);
    installRun_->context = context;
    uninstallRun_->context =
        SUninstallRunContext{context.info,           context.pendingList, context.listBuffer,
                             context.listBufferSize, context.sharedDlls,  context.runFlags};
    if (!Attach(uninstallRun_)) {
        Fail(IDS_INIT_FAILED);
        return;
    }
    if (Uninstalling()) {
        active_ = uninstallRun_;
        std::swap(uninstallRun_->logTree, sheet->PreviousRecord());
        uninstallRun_->Start();
        return;
    }
    if (!Attach(installRun_)) {
        Fail(IDS_INIT_FAILED);
        return;
    }
    active_ = installRun_;
    // Installing over an earlier installation continues its record.
    if (sheet->PreviousRecord() != nullptr)
        std::swap(installRun_->logTree, sheet->PreviousRecord());
    installRun_->Start();
    if (finishedWhileAttaching_ == installRun_)
        RunFinished(installRun_);
}

void CInstall::StopRuns() {
    Sheet()->RegisterProgressPage(nullptr);
    active_ = nullptr;
    for (SInstallPageTracker* run : {static_cast<SInstallPageTracker*>(installRun_),
                                     static_cast<SInstallPageTracker*>(uninstallRun_)}) {
        if (run == nullptr)
            continue;
        ClTreeDestroy(run->logTree);
        ClTreeDestroy(run->earlierSetupTree);
        run->logTree = run->earlierSetupTree = nullptr;
        run->Release();
    }
    installRun_ = nullptr;
    uninstallRun_ = nullptr;
}

void CInstall::HandOverToUninstall() {
    Sheet()->CancelToClose();
    active_ = uninstallRun_;
    uninstallRun_->Start();
}

void CInstall::OnRunFailed() {
    rolledBack_ = true;
    std::swap(installRun_->runLogTree, uninstallRun_->logTree);
    HandOverToUninstall();
}

void CInstall::RunFinished(SInstallPageTracker* run) {
    if (attaching_) {
        finishedWhileAttaching_ = run;
        return;
    }
    CInstallSheet* sheet = Sheet();
    const bool earlier = sheet->PreviousItemTree() != nullptr;
    if (run == installRun_ && earlier && !SetupInfoTestOption(Info(), OPT_UPDATE)) {
        // What the earlier installation had and this one no longer has goes now.
        std::swap(installRun_->logTree, uninstallRun_->logTree);
        HandOverToUninstall();
        return;
    }
    active_ = nullptr;
    // A rollback undid this run: whatever was there before, this install failed.
    if (rolledBack_) {
        ShowMessage(GetHwnd(), IDS_SETUP_FAILED, IDS_CAPTION_ERROR, MB_OK);
        sheet->EndSheet(2);
        return;
    }
    ShowCompletion();
}

void CInstall::ShowCompletion() {
    Sheet()->RunCompleted();
    const bool finishPage = SetupInfoTestFlag(Info(), PAGE_FINISH) != 0;
    Sheet()->SetWizButtons(finishPage ? PSWIZB_NEXT : PSWIZB_FINISH);
    char* done =
        LoadResourceString(nullptr, Uninstalling() ? IDS_UNINSTALL_COMPLETE : IDS_INSTALL_COMPLETE);
    SetStatus(LINE_PHASE, done != nullptr ? done : "");
    std::free(done);
    SetStatus(LINE_DETAIL, "");
    const int automatic = Uninstalling() ? OPT_AUTO_UNINSTALL : OPT_AUTO_INSTALL;
    if (!finishPage && SetupInfoTestOption(Info(), automatic))
        PostToSelf(WM_WIZ_FINISH);
}
