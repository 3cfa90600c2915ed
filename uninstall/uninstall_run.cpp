#include "uninstall/uninstall_run.h"

#include "base/run_flags.h"
#include "install/install_log.h"
#include "install/log_entry.h"
#include "install/pending_deletions.h"
#include "install/shared_dlls.h"
#include "package/layout/file_record.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"
#include "uninstall/registry_removal.h"

namespace {

// A file or registry value that the log records: a named value node with data.
bool IsRecordedValue(const ClTreeNode* node) {
    return (node->flags & (TN_KEY | TN_NAMED | TN_DATA)) == (TN_NAMED | TN_DATA);
}

// The values that the progress bar counts: recorded, counted by no installation, and not
// marked never-remove.
bool IsCounted(ClTreeNode* node) {
    const std::uint32_t* count = LogCount(node);
    return IsRecordedValue(node) && count != nullptr && *count == 0 &&
           !(node->data[0] & ITEM_NEVER_REMOVE);
}

}  // namespace

CUninstallPageTracker::CUninstallPageTracker(const SUninstallRunContext& runContext)
    : context(runContext) {}

int CUninstallPageTracker::Prepare() {
    return 1;
}

void CUninstallPageTracker::Release() {}

std::uint8_t CUninstallPageTracker::Mode() const {
    return RunMode(context.runFlags);
}

void CUninstallPageTracker::Start() {
    std::uint32_t total = 0;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(logTree); node != nullptr;
         node = ClTreeNavigate(node, TN_WALK, &depth))
        total += IsCounted(node) ? 1 : 0;
    current_ = ClTreeRoot(logTree);
    depth_ = 0;
    finished_ = false;
    ProgressInit(&counters[BAR_MIDDLE], total);
    ProgressShow(&counters[BAR_MIDDLE], progress);
    ShowPhase(Mode() == RUN_MODE_UNINSTALL ? IDS_UNINSTALLING : IDS_REMOVING_OLD_FILES);
    progress->CancelToClose();
}

int CUninstallPageTracker::Step() {
    if (finished_)
        return 1;
    while (current_ != nullptr && !IsRecordedValue(current_))
        current_ = ClTreeNavigate(current_, TN_WALK, &depth_);
    if (current_ == nullptr) {
        Finish();
        return 1;
    }
    ClTreeNode* entry = current_;
    current_ = ClTreeNavigate(entry, TN_WALK, &depth_);
    if (IsCounted(entry))
        ProgressTick(&counters[BAR_MIDDLE], progress);
    if (RunRemovesEntry(entry, Mode()))
        RemoveValue(entry);
    // Whatever happened to it, the entry is done with.
    ClTreeDeleteNode(logTree, entry);
    return 1;
}

void CUninstallPageTracker::RemoveValue(ClTreeNode* entry) {
    if (entry->data[0] & ITEM_REGISTRY) {
        char key[kEntryPathSize];
        if (!EntryFolderPath(entry, key))
            return;
        ShowDetail(EntryPath(entry, path_) ? path_ : key);
        RemoveRegistryValue(key, entry->name);
        return;
    }
    if (!EntryPath(entry, path_) || !IsRemovablePath(path_))
        return;
    ShowDetail(path_);
    if (Mode() == RUN_MODE_UNINSTALL)
        RemoveFile(entry);
    else
        TakeBackFile(entry);
}

// A shared DLL goes only with its last count; a file marked so waits for the next restart.
void CUninstallPageTracker::RemoveFile(ClTreeNode* entry) {
    std::uint8_t flags = entry->data[0];
    if ((flags & ITEM_SHARED_DLL) && ReleaseSharedDll(context.sharedDlls, path_) != SHARED_RELEASED)
        return;
    if (flags & ITEM_DELETE_AT_RESTART)
        DeferToRestart(entry);
    else
        DeleteFileA(path_);
}

// What a failed run did to a file: a count it raised is lowered, a file it created where none
// stood is deleted. A file it wrote over an older one stays.
void CUninstallPageTracker::TakeBackFile(ClTreeNode* entry) {
    std::uint8_t marks = LogRunMarks(entry);
    if (marks & RUN_RAISED_SHARED)
        ReleaseSharedDll(context.sharedDlls, path_);
    if (marks & RUN_CREATED)
        DeleteFileA(path_);
}

// The file, then each recorded folder above it that may go, into the pending-deletion list.
void CUninstallPageTracker::DeferToRestart(ClTreeNode* entry) {
    ListForRestart(path_);
    char folder[kEntryPathSize];
    for (ClTreeNode* key = ClTreeNavigate(entry, TN_PARENT, nullptr); key != nullptr;
         key = ClTreeNavigate(key, TN_PARENT, nullptr)) {
        if (IsRemovableEntry(key, Mode()) && EntryPath(key, folder) && IsRemovablePath(folder))
            ListForRestart(folder);
    }
}

// A path the list cannot take asks the finish page to offer a restart.
void CUninstallPageTracker::ListForRestart(const char* path) {
    if (!AddPendingDeletion(context.pendingList, context.listBuffer, context.listBufferSize, path))
        SetupInfoSetOption(context.info, OPT_RESTART_UNINSTALL, 1);
}

// Folders and registry keys after every key below them, so the deepest go first.
void CUninstallPageTracker::RemoveKeysBelow(ClTreeNode* key) {
    for (ClTreeNode* sub = ClTreeNavigate(key, TN_FIRST_KEY, nullptr); sub != nullptr;
         sub = ClTreeNavigate(sub, TN_NEXT, nullptr))
        RemoveKeysBelow(sub);
    if (RunRemovesEntry(key, Mode()))
        RemoveKey(key);
}

void CUninstallPageTracker::RemoveKey(ClTreeNode* key) {
    if (!EntryPath(key, path_))
        return;
    if (key->data[0] & ITEM_REGISTRY) {
        ShowDetail(path_);
        RemoveRegistryKey(path_, key->data, key->length);
    } else if (IsRemovablePath(path_)) {
        ShowDetail(path_);
        RemoveDirectoryA(path_);  // only an empty folder goes
    }
}

void CUninstallPageTracker::Finish() {
    finished_ = true;
    current_ = nullptr;
    for (ClTreeNode* key = ClTreeRoot(logTree); key != nullptr;
         key = ClTreeNavigate(key, TN_NEXT, nullptr))
        RemoveKeysBelow(key);
    ClTreeClear(logTree);
    progress->RunFinished(this);
}
