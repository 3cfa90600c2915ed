#include "driver/run_setup.h"

#include "driver/command_line.h"
#include "driver/messages.h"
#include "driver/setup_context.h"

int RunSetup(HINSTANCE instance, HINSTANCE, const char* commandTail, int) {
    SSetupContext& setup = *g_setup;
    setup.instance = instance;

    SCommandTail tail;
    if (!ParseCommandTail(commandTail ? commandTail : "", setup.dataFileArg, &tail)) {
        ShowMessageBox(nullptr, 23, kCaptionError, MB_OK, tail.tooLongRest);
        return 0;
    }
    setup.runFlags = tail.runFlags;

    setup.setupFolderRef = setup.setupFolder;
    // A program path that does not fit its buffers would leave every path built on it unusable.
    const char* commandLine = GetCommandLineA();
    if (!SplitCommandLine(setup.setupFolder, kContextPathSize, setup.programPath, kContextPathSize,
                          kContextPathSize, commandLine)) {
        ShowMessageBox(nullptr, 23, kCaptionError, MB_OK, commandLine);
        return 0;
    }
    return 0;
}
