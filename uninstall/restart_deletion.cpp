#include "uninstall/restart_deletion.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "base/shared_names.h"
#include "base/text_lines.h"
#include "base/win_handles.h"
#include "resources/ui_ids.h"
#include "setupinfo/folder_macros.h"
#include "ui/modal_helpers.h"
#include "uninstall/delete_restart_files.h"

namespace {

// How often the window gets to repaint while the run works: a window that freezes at logon
// looks like a hang.
constexpr DWORD kRepaintInterval = 50;

// One pass over the list: it either counts or deletes, either the files or the folders.
struct SPass {
    bool folders;
    bool remove;
};

struct SDeletionRun {
    CDeleteRestartFiles* window;
    DWORD lastPump;
    SPass pass;
    std::uint32_t listed[2];   // files, folders that stand there
    std::uint32_t removed[2];  // files, folders deleted
    std::uint32_t removedThisPass;
};

void KeepWindowAlive(SDeletionRun* run) {
    const DWORD now = GetTickCount();
    if (now - run->lastPump >= kRepaintInterval) {
        PumpPendingMessages();
        run->lastPump = now;
    }
}

int VisitListedPath(const char* line, void* context) {
    auto* run = static_cast<SDeletionRun*>(context);
    const bool folders = run->pass.folders;
    const DWORD attributes = GetFileAttributesA(line);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders) {
        if (!run->pass.remove) {
            ++run->listed[folders];
        } else if (folders ? RemoveDirectoryA(line) : DeleteFileA(line)) {
            ++run->removed[folders];
            ++run->removedThisPass;
            run->window->Step();
        }
    }
    KeepWindowAlive(run);
    return 1;
}

}  // namespace

int RunRestartDeletion(SSetupInfo* info) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kTextLineBufferSize + 1]);
    if (!buffer)
        return 0;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    CDeleteRestartFiles window(GetModuleHandleA(nullptr));
    if (!window.Create(IDD_RESTART_DELETION, nullptr))
        return 0;
    char listPath[kFolderPathSize];
    if (!ExpandFolderMacros(info, FolderMacro::WF, kPendingDeletionFile, nullptr, listPath))
        return 0;
    ClFileHandle list(CreateFileA(listPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!list.ok())
        return 0;

    SDeletionRun run = {&window, GetTickCount(), {}, {0, 0}, {0, 0}, 0};
    PumpPendingMessages();  // the window shows itself before the work starts
    auto pass = [&](bool folders, bool remove) {
        run.pass = {folders, remove};
        run.removedThisPass = 0;
        return ForEachTextLine(list.get(), buffer.get(), kTextLineBufferSize, &run,
                               VisitListedPath);
    };
    if (!pass(false, false) || !pass(true, false))
        return 0;
    window.SetTotal(run.listed[0] + run.listed[1]);
    if (!pass(false, true))
        return 0;
    // RemoveDirectoryA removes empty folders only; another pass takes the parents whose last
    // child went in this one, whatever the order of the list.
    if (run.listed[1] > 0) {
        do {
            if (!pass(true, true))
                return 0;
        } while (run.removedThisPass > 0 && run.removed[1] < run.listed[1]);
    }
    list.Close();
    DeleteFileA(listPath);
    return 1;
}
