// The programs opened at the end of an install: those the setup information lists, then the
// listed ones that this run installed, from their installed paths.
#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "install/install_actions.h"
#include "install/install_run.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"

namespace {

// Opens path when a file is there; nothing waits for the program. Each counts one step of the
// run, as its list entry did.
void OpenProgram(CInstallPageTracker* run, const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    run->ShowDetail(path);
    ProgressTick(&run->counters[BAR_MIDDLE], run->progress);
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

int RunPrograms(CInstallPageTracker* run) {
    run->ShowPhase(IDS_RUNNING_PROGRAMS);
    SSetupInfo* info = run->context.info;
    const char* installFolder = run->folders[FolderMacro::IF];
    if (installFolder[0] == '\0')
        return run->Fail(IDS_DATA_MISSING);
    for (std::uint16_t i = 0; i < info->listCount; ++i) {
        const char* stored = info->list[i];
        if (stored == nullptr || stored[0] == '\0')
            continue;  // installed by this run: it comes below
        char path[kFolderPathSize];
        // A path whose code is no macro is taken below the install folder.
        if (std::strlen(stored) < 2 ||
            !ExpandFolderMacros(info, FolderMacroId(stored), stored + 2, installFolder, path))
            return run->Fail(IDS_DATA_MISSING);
        OpenProgram(run, path);
    }
    for (std::uint16_t i = 0; i < info->usedPathSlots; ++i)
        OpenProgram(run, info->pathSlots + i * kSetupInfoPathSlotSize);
    return 1;
}
