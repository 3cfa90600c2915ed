// Folders and registry items: a folder is created and entered; a registry key or value is only
// entered, so that uninstalling removes what the product's programs create there.
#include "base/folders.h"
#include "install/install_actions.h"
#include "install/install_log.h"
#include "install/install_run.h"
#include "install/pending_deletions.h"
#include "resources/string_ids.h"
#include "tree/tree.h"

namespace {

int LogRegistryNode(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item,
                    std::uint8_t kind) {
    int macro = ItemMacro(parent);
    char parentPath[kRunPathSize];
    if (macro < FolderMacro::CR || macro > FolderMacro::CC ||
        ClTreeGetPath(parent, nullptr, "\\") > sizeof parentPath)
        return run->Fail(IDS_DATA_MISSING);
    ClTreeGetPath(parent, parentPath, "\\");
    return LogRegistryItem(run, parentPath, item->name, item->data, item->length, kind);
}

}  // namespace

int InstallFolder(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item) {
    char parentFolder[kFolderPathSize];
    char path[kFolderPathSize];
    SLogKeys keys;
    if (!run->LocateItem(parent, item->name, parentFolder, path, &keys))
        return 0;
    RemovePendingDeletion(run->context.pendingList, run->context.listBuffer,
                          run->context.listBufferSize, path);
    // A folder the install log knows is not made again (files inside it still make it).
    bool make = LogFindEntry(keys.log, item->name, TN_KEY) == nullptr &&
                GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
    if (make && !CreateFolderPath(parentFolder, item->name))
        return run->Fail(IDS_CANNOT_CREATE_FOLDER, parentFolder);
    SLogRecord record;
    if (!LogRecord(run->logTree, run->runLogTree, keys, item->name, item->data, item->length,
                   TN_KEY, &record)) {
        if (make)
            RemoveDirectoryA(path);
        return run->Fail(IDS_NO_MEMORY);
    }
    if (make)
        LogMarkRun(record.added.run, RUN_CREATED);
    return 1;
}

int LogRegistryKey(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item) {
    return LogRegistryNode(run, parent, item, TN_KEY);
}

int LogRegistryValue(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item) {
    return LogRegistryNode(run, parent, item, 0);
}

int LogRegistryItem(CInstallPageTracker* run, const char* parentPath, const char* name,
                    const std::uint8_t* data, std::uint32_t length, std::uint8_t kind) {
    SLogKeys keys;
    SLogRecord record;
    if (!LogChainPair(run->logTree, run->runLogTree, parentPath, nullptr, &keys) ||
        !LogRecord(run->logTree, run->runLogTree, keys, name, data, length, kind, &record))
        return run->Fail(IDS_NO_MEMORY);
    return 1;
}
