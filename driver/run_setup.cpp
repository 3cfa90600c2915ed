#include "driver/run_setup.h"

#include "base/messages.h"
#include "base/setup_context.h"
#include "driver/account.h"
#include "driver/command_line.h"
#include "driver/read_package.h"
#include "driver/restart_mode.h"
#include "driver/shared_uninstaller.h"
#include "driver/wizard_mode.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"

int RunSetup(HINSTANCE instance, HINSTANCE, const char* commandTail, int) {
    SSetupContext& setup = *g_setup;
    setup.instance = instance;

    if (!IsAdministrator()) {
        ShowMessage(nullptr, IDS_NOT_ADMINISTRATOR, IDS_CAPTION_ERROR, MB_OK);
        return 0;
    }
    SSharedUninstallerKeys keys;
    if (!KeepSharedUninstallerKey(&keys)) {
        ShowMessage(nullptr, IDS_SETUP_FAILED, IDS_CAPTION_ERROR, MB_OK);
        return 0;
    }

    SCommandTail tail;
    if (!ParseCommandTail(commandTail ? commandTail : "", setup.dataFileArg, &tail)) {
        ShowMessageBox(nullptr, IDS_BAD_COMMAND_LINE, IDS_CAPTION_ERROR, MB_OK, tail.tooLongRest);
        return 0;
    }
    // Both /U and /R name no run mode: refused like any other wrong parameter.
    if (RunMode(tail.runFlags) == (RUN_UNINSTALL | RUN_RESTART)) {
        ShowMessageBox(nullptr, IDS_BAD_COMMAND_LINE, IDS_CAPTION_ERROR, MB_OK, commandTail);
        return 0;
    }
    setup.runFlags = tail.runFlags;
    EnableShutdownPrivilege();

    setup.setupFolderRef = setup.setupFolder;
    // A program path that does not fit its buffers would leave every path built on it unusable.
    const char* commandLine = GetCommandLineA();
    if (!SplitCommandLine(setup.setupFolder, kContextPathSize, setup.programPath, kContextPathSize,
                          kContextPathSize, commandLine)) {
        ShowMessageBox(nullptr, IDS_BAD_COMMAND_LINE, IDS_CAPTION_ERROR, MB_OK, commandLine);
        return 0;
    }

    SSetupInfo info;
    info.setupFolder = setup.setupFolderRef;
    if (RunMode(setup.runFlags) == RUN_MODE_INSTALL) {
        packageOffset = PackageOffsetFromSlot();
        if (!ReadPackage(&setup, &info, packageOffset))
            return 0;
        if (SetupInfoTestOption(&info, OPT_UPDATE))
            setup.runFlags |= RUN_UPDATE;
    }
    if (RunMode(setup.runFlags) == RUN_MODE_RESTART)
        RunRestartMode(&info, &keys);
    else
        RunWizardMode(&info, &keys, packageOffset);

    DestroyPackageTrees(&setup);
    return 0;
}
