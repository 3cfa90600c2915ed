// Registering the product for uninstalling at the end of an install: the shared uninstaller in
// the Windows folder, the product's Uninstall key, and the uninstall data file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/file_io.h"
#include "base/folders.h"
#include "base/path_parts.h"
#include "base/registry.h"
#include "base/run_flags.h"
#include "base/safe_name.h"
#include "base/setup_context.h"
#include "base/shared_names.h"
#include "install/install_actions.h"
#include "install/install_log.h"
#include "install/install_run.h"
#include "install/log_entry.h"
#include "package/layout/file_record.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "setupinfo/uninstall_data.h"
#include "tree/tree.h"
#include "tree/tree_owner.h"

namespace {

constexpr char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallLogPath[] = "LM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The uninstaller is copied through one buffer of 2 to 128 MiB, whatever can be had, and never
// larger than the copy needs.
constexpr std::uint64_t kLargestCopyBuffer = 0x8000000;
constexpr std::uint64_t kSmallestCopyBuffer = 0x200000;
constexpr std::uint64_t kCopyBufferStep = 0x100000;
constexpr std::uint32_t kCopyBufferReserve = 1024;

struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

// Creates path for writing, with every missing folder above it; shows message 7 when it cannot.
ClFileHandle CreateWithFolders(CInstallPageTracker* run, const char* path) {
    char folder[kRunPathSize];
    std::snprintf(folder, sizeof folder, "%s", path);
    ClFileHandle file;
    if (CutLastPathPart(folder) && CreateFolderPath(folder, nullptr))
        file = ClFileHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok())
        run->Fail(IDS_CANNOT_CREATE_FILE, path);
    return file;
}

// A buffer for copying length bytes: the largest that can be had between 2 and 128 MiB, never
// larger than the copy needs. Its size goes to *size; null when none can be had.
std::uint8_t* CopyBuffer(std::uint64_t length, std::uint32_t* size) {
    std::uint64_t wanted = length + kCopyBufferReserve;
    wanted = wanted < kSmallestCopyBuffer  ? kSmallestCopyBuffer
             : wanted > kLargestCopyBuffer ? kLargestCopyBuffer
                                           : wanted;
    for (; wanted >= kSmallestCopyBuffer; wanted -= kCopyBufferStep) {
        if (auto* block = static_cast<std::uint8_t*>(std::malloc(wanted))) {
            *size = static_cast<std::uint32_t>(wanted);
            return block;
        }
    }
    return nullptr;
}

// The data file's path, entered in both logs below the install folder with the record template.
int RecordDataFile(CInstallPageTracker* run) {
    SSetupInfo* info = run->context.info;
    const char* installFolder = run->folders[FolderMacro::IF];
    const char* name = info->texts[TEXT_DATA_FILE];
    if (installFolder[0] == '\0' || name == nullptr || !IsSafePathName(name))
        return run->Fail(IDS_DATA_MISSING);
    SLogKeys keys;
    SLogRecord record;
    if (!LogChainPair(run->logTree, run->runLogTree, installFolder, nullptr, &keys) ||
        !ExpandFolderMacros(info, FolderMacro::OT, name, installFolder, run->dataFilePath) ||
        !LogRecord(run->logTree, run->runLogTree, keys, name, run->recordTemplate,
                   kRecordTemplateSize, 0, &record))
        return run->Fail(IDS_NO_MEMORY);
    // The file is written at the end of the registration; a rollback removes it unless it was
    // there before.
    if (GetFileAttributesA(run->dataFilePath) == INVALID_FILE_ATTRIBUTES)
        LogMarkRun(record.added.run, RUN_CREATED);
    return 1;
}

// A string value with its terminating zero, as readers of REG_SZ expect it.
LONG SetString(ClCompactRegistry& key, const char* name, const char* text) {
    text = text ? text : "";
    return key.SetValue(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

int WriteUninstallKey(CInstallPageTracker* run) {
    SSetupInfo* info = run->context.info;
    const char* product = info->texts[TEXT_UNINSTALL_KEY];
    char command[kRunPathSize];
    int length = std::snprintf(command, sizeof command, "\"%s\" /U \"%s\"", run->uninstallerPath,
                               run->dataFilePath);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof command)
        return run->Fail(IDS_PATH_TOO_LONG);
    ClCompactRegistry uninstall;
    ClCompactRegistry key;
    if (!uninstall.Create(HKEY_LOCAL_MACHINE, kUninstallKeyPath) ||
        !key.Create(uninstall.key, product))
        return run->Fail(IDS_CANNOT_WRITE_FILE, run->dataFilePath);
    const char* displayIcon = g_setup->displayIconPath;
    if (SetString(key, "UninstallString", command) != ERROR_SUCCESS ||
        SetString(key, "DisplayName", info->texts[TEXT_UNINSTALL_DISPLAY_NAME]) != ERROR_SUCCESS)
        return run->Fail(IDS_CANNOT_WRITE_FILE, run->dataFilePath);
    if (displayIcon[0] != '\0' && SetString(key, "DisplayIcon", displayIcon) != ERROR_SUCCESS)
        return run->Fail(IDS_CANNOT_WRITE_FILE, displayIcon);
    if (SetString(key, "UninstallDataFile", run->dataFilePath) != ERROR_SUCCESS)
        return run->Fail(IDS_CANNOT_WRITE_FILE, run->dataFilePath);
    return 1;
}

// The shared uninstaller: the program file without its package, that is its first
// packageOffset bytes.
int CopyUninstaller(CInstallPageTracker* run) {
    const char* path = run->uninstallerPath;
    ClFileHandle program(CreateFileA(g_setup->programPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!program.ok())
        return run->Fail(IDS_CANNOT_OPEN_FILE);
    ClFileHandle copy = CreateWithFolders(run, path);
    if (!copy.ok())
        return 0;
    unsigned failed = 0;
    std::uint64_t length = run->context.packageOffset;
    if (length == 0 && !GetFileSize64(program.get(), &length))
        failed = IDS_CANNOT_READ_FILE;
    std::uint32_t size = 0;
    std::unique_ptr<std::uint8_t, FreeDeleter> buffer(failed ? nullptr : CopyBuffer(length, &size));
    if (failed == 0 && !buffer)
        failed = IDS_NO_MEMORY;
    if (failed == 0 &&
        !CopyFileBytes(copy.get(), program.get(), length, buffer.get(), size - kCopyBufferReserve))
        failed = IDS_CANNOT_WRITE_FILE;
    if (failed == 0)
        return 1;
    copy.Close();
    DeleteFileA(path);
    return run->Fail(failed, failed == IDS_NO_MEMORY ? nullptr : path);
}

// The uninstall data file: the components, the selection, the pruned log and the setup
// information.
int WriteDataFile(CInstallPageTracker* run) {
    const char* path = run->dataFilePath;
    ClTreeOwner pruned(ClTreeCreate());
    if (!pruned || !ClTreeCopy(pruned.get(), run->logTree) ||
        !LogPrune(pruned.get(), RunMode(run->context.runFlags)))
        return run->Fail(IDS_NO_MEMORY);
    ClFileHandle file = CreateWithFolders(run, path);
    if (!file.ok())
        return 0;
    // An update keeps the components of the installation it updates.
    SSetupInfo* info = run->context.info;
    ClTree* components = SetupInfoTestOption(info, OPT_UPDATE) && run->earlierSetupTree
                             ? run->earlierSetupTree
                             : g_setup->setupTree;
    if (!UninstallDataWrite(file.get(), components, run->selectionMask, pruned.get(), info))
        return run->Fail(IDS_CANNOT_WRITE_FILE, path);
    return 1;
}

}  // namespace

int RegisterUninstaller(CInstallPageTracker* run) {
    SSetupInfo* info = run->context.info;
    if (SetupInfoTestOption(info, OPT_NO_UNINSTALL))
        return 1;
    const char* product = info->texts[TEXT_UNINSTALL_KEY];
    if (product == nullptr || product[0] == '\0')
        return run->Fail(IDS_DATA_MISSING);
    if (run->folders[FolderMacro::WF][0] == '\0' ||
        !ExpandFolderMacros(info, FolderMacro::OT, kSharedUninstallerFile,
                            run->folders[FolderMacro::WF], run->uninstallerPath))
        return run->Fail(IDS_NO_MEMORY);
    // The product's Uninstall key in the logs: a registry key of no package record.
    SFileRecord key;
    key.kind = RECORD_REGISTRY_KEY;
    key.flags = ITEM_REGISTRY;
    key.index = kNoFileIndex;
    std::uint8_t keyRecord[kRecordHeadSize + kRecordCounterSize];
    FileRecordWrite(&key, keyRecord);
    return RecordDataFile(run) &&
           LogRegistryItem(run, kUninstallLogPath, product, keyRecord, FileRecordSize(&key),
                           TN_KEY) &&
           WriteUninstallKey(run) && CopyUninstaller(run) && WriteDataFile(run);
}
