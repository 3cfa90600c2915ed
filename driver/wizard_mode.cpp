#include "driver/wizard_mode.h"

#include <windows.h>

#include <prsht.h>

#include "base/messages.h"
#include "base/setup_context.h"
#include "driver/read_package.h"
#include "driver/restart_mode.h"
#include "driver/self_delete_batch.h"
#include "resources/string_ids.h"
#include "setupinfo/folder_macros.h"
#include "wizard/install_sheet.h"

namespace {

bool Installing() {
    return RunMode(g_setup->runFlags) == RUN_MODE_INSTALL;
}

// A new product relies on the shared uninstaller: one more in the count, and an uninstaller
// removal still waiting for the next logon is called off.
void CountNewProduct(SSharedUninstallerKeys* keys) {
    DWORD count = 0, type = 0;
    if (keys->version.QueryValue(kProductCountValue, &count, sizeof count, &type) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        count = 0;
    ++count;
    keys->version.SetValue(kProductCountValue, REG_DWORD, &count, sizeof count);
    ClCompactRegistry runOnce;
    if (runOnce.Open(HKEY_LOCAL_MACHINE, kRunOnceKey))
        runOnce.DeleteValue(kSelfDeleteValue);
}

// After every finished run the pending-deletion list exists (the wizard made it as its lock):
// its restart deletion is scheduled. Uninstalling, the product leaves the count; with no
// product and no list left, the shared uninstaller goes at the next logon.
void ScheduleLogonWork(SSetupInfo* info, SSharedUninstallerKeys* keys) {
    ClCompactRegistry runOnce;
    DWORD count = 0, type = 0;
    if (!runOnce.Open(HKEY_LOCAL_MACHINE, kRunOnceKey) ||
        keys->version.QueryValue(kProductCountValue, &count, sizeof count, &type) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return;
    const bool uninstalling = RunMode(g_setup->runFlags) == RUN_MODE_UNINSTALL;
    if (uninstalling && count > 0) {
        --count;
        keys->version.SetValue(kProductCountValue, REG_DWORD, &count, sizeof count);
    }
    char list[kFolderPathSize];
    if (!ExpandFolderMacros(info, FolderMacro::WF, kPendingDeletionFile, nullptr, list))
        return;
    if (GetFileAttributesA(list) != INVALID_FILE_ATTRIBUTES) {
        ScheduleRestartDeletion(info, &runOnce);
    } else if (uninstalling && count == 0) {
        WriteSelfDeleteBatch(info, &runOnce);
        keys->product.DeleteKey(kVersionKey);
    }
}

}  // namespace

void RunWizardMode(SSetupInfo* info, SSharedUninstallerKeys* keys, std::uint64_t packageOffset) {
    SSetupContext& setup = *g_setup;
    CInstallSheet wizard(setup.instance, setup.setupTree);
    wizard.runFlags = setup.runFlags;
    wizard.packageOffset = packageOffset;
    if (!wizard.Initialise(info)) {
        ShowMessage(nullptr, IDS_INIT_FAILED, IDS_CAPTION_ERROR, MB_OK);
        return;
    }
    wizard.Header().dwFlags |= PSH_WIZARD;
    if (wizard.Run(nullptr) != 1)
        return;
    if (wizard.PreviousItemTree() == nullptr && Installing() &&
        !SetupInfoTestOption(info, OPT_NO_UNINSTALL))
        CountNewProduct(keys);
    DestroyPackageTrees(&setup);
    ScheduleLogonWork(info, keys);
    if (setup.exitFlags & EXIT_REBOOT)
        ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
}
