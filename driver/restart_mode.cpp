#include "driver/restart_mode.h"

#include <string>

#include "driver/self_delete_batch.h"
#include "setupinfo/folder_macros.h"
#include "uninstall/restart_deletion.h"

int ScheduleRestartDeletion(SSetupInfo* info, ClCompactRegistry* runOnce) {
    char uninstaller[kFolderPathSize];
    if (!ExpandFolderMacros(info, FolderMacro::WF, kSharedUninstallerFile, nullptr, uninstaller))
        return 0;
    const std::string command = "\"" + std::string(uninstaller) + "\" /R";
    return runOnce->SetValue(kRestartDeletionValue, REG_SZ, command.c_str(),
                             static_cast<DWORD>(command.size())) == ERROR_SUCCESS;
}

void RunRestartMode(SSetupInfo* info, SSharedUninstallerKeys* keys) {
    ClCompactRegistry runOnce;
    if (!runOnce.Open(HKEY_LOCAL_MACHINE, kRunOnceKey))
        return;
    if (!RunRestartDeletion(info))
        return;
    DWORD count = 0;
    DWORD type = 0;
    if (keys->version.QueryValue(kProductCountValue, &count, sizeof count, &type) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && count == 0) {
        WriteSelfDeleteBatch(info, &runOnce);
        keys->product.DeleteKey(kVersionKey);
    }
    runOnce.DeleteValue(kRestartDeletionValue);
}
