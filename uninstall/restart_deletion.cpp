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

struct SDeletionRun {
    CDeleteRestartFiles* window;
    DWORD lastPump;
    std::uint32_t files;
    std::uint32_t folders;
    std::uint32_t filesDeleted;
    std::uint32_t foldersRemoved;
    std::uint32_t removedThisPass;
};

void KeepWindowAlive(SDeletionRun* run) {
    const DWORD now = GetTickCount();
    if (now - run->lastPump >= kRepaintInterval) {
        PumpPendingMessages();
        run->lastPump = now;
    }
}

bool IsExistingFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CountFile(const char* line, void* context) {
    auto* run = static_cast<SDeletionRun*>(context);
    if (IsExistingFile(line))
        ++run->files;
    KeepWindowAlive(run);
    return 1;
}

int CountFolder(const char* line, void* context) {
    auto* run = static_cast<SDeletionRun*>(context);
    if (IsExistingFolder(line))
        ++run->folders;
    KeepWindowAlive(run);
    return 1;
}

int DeleteListedFile(const char* line, void* context) {
    auto* run = static_cast<SDeletionRun*>(context);
    if (IsExistingFile(line) && DeleteFileA(line)) {
        ++run->filesDeleted;
        run->window->Step();
    }
    KeepWindowAlive(run);
    return 1;
}

int RemoveListedFolder(const char* line, void* context) {
    auto* run = static_cast<SDeletionRun*>(context);
    if (IsExistingFolder(line) && RemoveDirectoryA(line)) {
        ++run->foldersRemoved;
        ++run->removedThisPass;
        run->window->Step();
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

    SDeletionRun run = {&window, GetTickCount(), 0, 0, 0, 0, 0};
    PumpPendingMessages();  // the window shows itself before the work starts
    auto pass = [&](TextLineCallback callback) {
        return ForEachTextLine(list.get(), buffer.get(), kTextLineBufferSize, &run, callback);
    };
    if (!pass(CountFile) || !pass(CountFolder))
        return 0;
    window.SetTotal(run.files + run.folders);
    if (!pass(DeleteListedFile))
        return 0;
    // RemoveDirectoryA removes empty folders only; another pass takes the parents whose last
    // child went in this one, whatever the order of the list.
    if (run.folders > 0) {
        do {
            run.removedThisPass = 0;
            if (!pass(RemoveListedFolder))
                return 0;
        } while (run.removedThisPass > 0 && run.foldersRemoved < run.folders);
    }
    list.Close();
    DeleteFileA(listPath);
    return 1;
}
