// Installing one file: the decision by time, the expansion with its backup, the shared-DLL
// count, the log entries and the shortcuts, each taken back when a later step fails.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/file_stream.h"
#include "base/folders.h"
#include "base/messages.h"
#include "base/setup_context.h"
#include "install/file_backup.h"
#include "install/install_actions.h"
#include "install/install_log.h"
#include "install/install_run.h"
#include "install/pending_deletions.h"
#include "install/shared_dlls.h"
#include "package/decode/compress.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"

namespace {

// A listed program that this run installs is run from its installed path, after the listed
// programs that it does not install: its list entry is emptied and the path kept.
void NoteProgramToRun(SSetupInfo* info, ClTreeNode* item, const char* path) {
    char itemPath[kFolderPathSize];
    if (ClTreeGetPath(item, nullptr, "\\") >= sizeof itemPath)
        return;
    ClTreeGetPath(item, itemPath, "\\");
    int listed = SetupInfoFindName(info, itemPath);
    if (listed < 0)
        return;
    std::free(info->list[listed]);
    info->list[listed] = nullptr;
    SetupInfoAddPath(info, path);
}

// Expands the record's entry into a new file at path, with the record's times. The bytes go to
// path + ".partial", renamed into place once complete: a run ended from outside midway leaves no
// partly written file under the installed name, which the next run's time comparison would take
// for a newer one and keep; the next run writes the same partial name over and renames it away.
// On failure the message has been shown and nothing of the new file is left.
int ExpandInto(CInstallPageTracker* run, const SFileRecord& record, const char* path) {
    std::uint64_t storedLength = 0;
    PackageFailure failure = PACKAGE_FAIL_NONE;
    HANDLE program = run->programFile.get();
    if (!PackageOpenEntry(program, record.entryOffset, &storedLength, &failure)) {
        return failure == PACKAGE_FAIL_SEEK ? run->Fail(IDS_SEEK_FAILED)
                                            : run->Fail(IDS_CANNOT_READ_FILE, path);
    }
    // A path too long for the longer name is written in place.
    char partial[MAX_PATH];
    const char* target =
        std::snprintf(partial, sizeof partial, "%s.partial", path) < MAX_PATH ? partial : path;
    SFileStream* out =
        FileStreamOpen(target, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == nullptr)
        return run->Fail(IDS_CANNOT_CREATE_FILE, path);
    unsigned failed = 0;
    if (!run->context.codec->ExpandEntry(program, out, storedLength))
        failed = IDS_EXPAND_FAILED;
    else if (!FileStreamTruncate(out) || !SetFileTime(FileStreamHandle(out), &record.creationTime,
                                                      &record.accessTime, &record.writeTime))
        failed = IDS_CANNOT_WRITE_FILE;
    FileStreamClose(out);
    if (failed == 0 && target != path && !MoveFileA(target, path))
        failed = IDS_CANNOT_CREATE_FILE;
    if (failed == 0)
        return 1;
    DeleteFileA(target);
    return run->Fail(failed, path);
}

// The file that stood at the destination, kept aside in the run's work file while the new one
// is written, and put back if the action fails.
class CReplacedFile {
  public:
    CReplacedFile(CInstallPageTracker* run, const char* path) : run_(run), path_(path) {}

    int MoveAside() {
        if (!::MoveAside(path_, run_->workFile))
            return run_->Fail(IDS_BACKUP_FAILED);
        movedAside_ = true;
        return 1;
    }
    // Removes what the action wrote and puts the old file back.
    void Restore() {
        if (!movedAside_) {
            DeleteFileA(path_);
            return;
        }
        movedAside_ = false;
        if (!MoveBack(path_, run_->workFile))
            run_->Fail(IDS_LOST_INSTALLED_FILES, run_->workFile);
    }

  private:
    CInstallPageTracker* run_;
    const char* path_;
    bool movedAside_ = false;
};

}  // namespace

int InstallFile(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item,
                const SFileRecord& record) {
    char folder[kFolderPathSize];
    char path[kFolderPathSize];
    SLogKeys keys;
    if (!run->LocateItem(parent, item->name, folder, path, &keys))
        return 0;
    if (!CreateFolderPath(folder, nullptr))
        return run->Fail(IDS_CANNOT_CREATE_FOLDER, folder);
    run->ShowDetail(path);
    RemovePendingDeletion(run->context.pendingList, run->context.listBuffer,
                          run->context.listBufferSize, path);
    ClTreeNode* logged = LogFindEntry(keys.log, item->name, 0);

    // The times come from the attributes, without opening the file: one that another program
    // holds open is then waited for at the backup rather than refused at once.
    WIN32_FILE_ATTRIBUTE_DATA present;
    bool exists = GetFileAttributesExA(path, GetFileExInfoStandard, &present) != 0;
    if (exists && (present.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return run->Fail(IDS_CANNOT_CREATE_FILE, path);
    bool write = !exists || CompareFileTime(&record.writeTime, &present.ftLastWriteTime) > 0;
    NoteProgramToRun(run->context.info, item, path);

    CReplacedFile replaced(run, path);
    if (write) {
        if (exists && !replaced.MoveAside())
            return 0;
        if (!ExpandInto(run, record, path)) {
            replaced.Restore();
            return 0;
        }
    }

    CSharedDllUndo sharedCount;
    SLogRecord logRecord{};
    bool done = true;
    bool counted = (record.flags & ITEM_SHARED_DLL) && logged == nullptr;
    if (counted && !sharedCount.Raise(run->context.sharedDlls, path))
        done = run->Fail(IDS_CANNOT_WRITE_FILE, path);
    if (done && (record.flags & ITEM_DISPLAY_ICON))
        std::snprintf(g_setup->displayIconPath, kContextPathSize, "%s", path);
    if (done && !LogRecord(run->logTree, run->runLogTree, keys, item->name, item->data,
                           item->length, 0, &logRecord))
        done = run->Fail(IDS_NO_MEMORY);
    if (done)
        LogMarkRun(logRecord.added.run,
                   static_cast<std::uint8_t>((write && !exists ? RUN_CREATED : 0) |
                                             (counted ? RUN_RAISED_SHARED : 0)));
    if (done && (record.flags & (ITEM_DESKTOP_SHORTCUT | ITEM_MENU_SHORTCUT)))
        done = MakeShortcuts(run, logRecord.entry);
    if (done)
        return 1;
    // Everything is put back as it was before the action.
    LogUnrecord(run->logTree, run->runLogTree, &logRecord);
    sharedCount.Restore();
    if (write)
        replaced.Restore();
    return 0;
}
