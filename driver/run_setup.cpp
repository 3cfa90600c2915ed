#include "driver/run_setup.h"

#include "driver/account.h"
#include "driver/command_line.h"
#include "driver/messages.h"
#include "driver/read_package.h"
#include "driver/setup_context.h"
#include "driver/shared_uninstaller.h"
#include "package/package_layout.h"

int RunSetup(HINSTANCE instance, HINSTANCE, const char* commandTail, int) {
    SSetupContext& setup = *g_setup;
    setup.instance = instance;

    if (!IsAdministrator()) {
        ShowMessage(nullptr, 35, kCaptionError, MB_OK);
        return 0;
    }
    SSharedUninstallerKeys keys;
    if (!KeepSharedUninstallerKey(&keys)) {
        ShowMessage(nullptr, 12, kCaptionError, MB_OK);
        return 0;
    }

    SCommandTail tail;
    if (!ParseCommandTail(commandTail ? commandTail : "", setup.dataFileArg, &tail)) {
        ShowMessageBox(nullptr, 23, kCaptionError, MB_OK, tail.tooLongRest);
        return 0;
    }
    // Both /U and /R name no run mode: refused like any other wrong parameter.
    if (RunMode(tail.runFlags) == (RUN_UNINSTALL | RUN_RESTART)) {
        ShowMessageBox(nullptr, 23, kCaptionError, MB_OK, commandTail);
        return 0;
    }
    setup.runFlags = tail.runFlags;
    EnableShutdownPrivilege();

    setup.setupFolderRef = setup.setupFolder;
    // A program path that does not fit its buffers would leave every path built on it unusable.
    const char* commandLine = GetCommandLineA();
    if (!SplitCommandLine(setup.setupFolder, kContextPathSize, setup.programPath, kContextPathSize,
                          kContextPathSize, commandLine)) {
        ShowMessageBox(nullptr, 23, kCaptionError, MB_OK, commandLine);
        return 0;
    }

    SSetupInfo info;
    if (RunMode(setup.runFlags) == RUN_MODE_INSTALL) {
        packageOffset = PackageOffsetFromSlot();
        if (!ReadPackage(&setup, &info, packageOffset))
            return 0;
        if (SetupInfoTestOption(&info, OPT_UPDATE))
            setup.runFlags |= RUN_UPDATE;
    }
    // The restart-deletion run and the wizard begin here.

    DestroyPackageTrees(&setup);
    return 0;
}
