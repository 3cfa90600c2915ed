#include "install/install_run.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "base/dbcs.h"
#include "base/folders.h"
#include "base/messages.h"
#include "base/setup_context.h"
#include "install/component_selection.h"
#include "install/install_actions.h"
#include "install/install_log.h"
#include "install/uninstall_data_file.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"

namespace {

// A disk whose file indexes reach this far is refused: its flag array would be too large.
constexpr std::uint64_t kMaxFlagArraySize = 0xFFFFFF;

// The data of the install-folder keys: no flags, then the count. In the install log the count
// starts at 0xFFFFFFFF (kept by a re-install's clean-up); in the run log at 0, so that a
// rollback removes the folders this run made once they are empty.
constexpr std::uint8_t kInstallFolderEntry[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::uint8_t kInstallFolderRunEntry[8] = {0, 0, 0, 0, 0, 0, 0, 0};

// 1 when path lies below folder: folder, then a "\" that is not a trail byte.
bool LiesBelow(const char* path, const char* folder) {
    std::size_t length = std::strlen(folder);
    return length > 0 && std::strlen(path) > length + 1 &&
           CompareNoCaseN(path, folder, static_cast<std::uint32_t>(length)) &&
           IsCharAt(path, static_cast<std::uint32_t>(length), '\\');
}

int ApplyChoice(SSetupInfo* info, const SInstallChoice& choice) {
    info->installFolderMacro = choice.installFolderMacro;
    info->registryRootMacro = choice.registryRootMacro;
    return SetupInfoSetText(info, TEXT_INSTALL_PATH, choice.installPath) &&
           SetupInfoSetText(info, TEXT_PUBLISHER, choice.group);
}

}  // namespace

CInstallPageTracker::CInstallPageTracker(const SInstallRunContext& runContext)
    : context(runContext) {}

CInstallPageTracker::~CInstallPageTracker() {
    Release();
}

int CInstallPageTracker::Fail(unsigned id, const char* argument) {
    ShowMessageBox(progress ? progress->Owner() : nullptr, id, IDS_CAPTION_ERROR, MB_OK, argument);
    return 0;
}

int CInstallPageTracker::LocateItem(ClTreeNode* parent, const char* name, char* folder, char* path,
                                    SLogKeys* keys) {
    if (!ResolveItemFolder(context.info, folders, parent, folder) ||
        !JoinItemName(context.info, folder, name, path))
        return Fail(IDS_DATA_MISSING);
    if (!LogChainPair(logTree, runLogTree, folder, nullptr, keys))
        return Fail(IDS_NO_MEMORY);
    return 1;
}

int CInstallPageTracker::Prepare() {
    SSetupInfo* info = context.info;
    if (!CreateTempFolder(workFolder, workFile, sizeof workFile))
        return 0;
    std::memset(recordTemplate, 0, sizeof recordTemplate);
    FileRecordSetIndex(recordTemplate, sizeof recordTemplate, kNoFileIndex);
    if (runLogTree == nullptr && (runLogTree = ClTreeCreate()) == nullptr)
        return 0;
    if (context.custom && context.choice && !ApplyChoice(info, *context.choice))
        return 0;
    LoadEarlierInstallation();
    if (!shellLink.ok() && FAILED(CoCreateInstance(CLSID_ShellLink, nullptr,
                                                   CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                                   IID_IShellLinkA, shellLink.OutVoid())))
        return 0;
    for (std::uint16_t macro = 0; macro < kFolderMacroCount; ++macro) {
        if (!ExpandFolderMacros(info, macro, nullptr, nullptr, folders[macro]))
            folders[macro][0] = '\0';
    }
    selectionMask = context.custom ? COMPONENT_CUSTOM : COMPONENT_STANDARD;
    std::uint32_t files = 0;
    if (!PrepareDiskPlan(&files))
        return 0;
    total = files + info->listCount;
    if (total == 0) {
        ended_ = true;
        endResult_ = 1;
        progress->RunFinished(this);
        return 1;
    }
    ProgressInit(&counters[BAR_MIDDLE], total);
    currentDisk_ = 0;
    currentComponent_ = nullptr;
    listOpen_ = rangeOpen_ = false;
    lastRecord_ = nullptr;
    if (!RecordInstallFolder())
        return Fail(IDS_NO_MEMORY);
    programFile = ClFileHandle(CreateFileA(g_setup->programPath, GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!programFile.ok())
        return Fail(IDS_PROGRAM_UNOPENABLE);
    return 1;
}

void CInstallPageTracker::LoadEarlierInstallation() {
    if (earlierSetupTree == nullptr && (earlierSetupTree = ClTreeCreate()) == nullptr)
        return;
    std::uint8_t selection = 0;
    if (!LoadUninstallData(context.info, earlierSetupTree, &selection, logTree, nullptr,
                           context.runFlags)) {
        ClTreeDestroy(earlierSetupTree);
        earlierSetupTree = nullptr;
    }
}

// The disks in name order, each with a flag array as large as the largest file index that a
// selected component lists on it; *files receives how many distinct indexes they list.
int CInstallPageTracker::PrepareDiskPlan(std::uint32_t* files) {
    ClTree* setupTree = g_setup->setupTree;
    disks.Clear();
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(setupTree); node != nullptr;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        if ((node->flags & (TN_KEY | TN_NAMED)) == TN_NAMED && !disks.Add(node->name))
            return 0;
    }
    disks.Sort();
    *files = 0;
    for (std::uint32_t disk = 0; disk < disks.count; ++disk) {
        std::uint64_t size = 0;
        ForEachSelectedRange(disk, [&](const SFileIndexRange& range) {
            if (range.last + std::uint64_t{1} > size)
                size = range.last + std::uint64_t{1};
        });
        if (size >= kMaxFlagArraySize ||
            !disks.AllocateFlags(static_cast<int>(disk), static_cast<std::uint32_t>(size)))
            return 0;
        std::uint8_t* flags = disks.flags[disk];
        ForEachSelectedRange(disk, [&](const SFileIndexRange& range) {
            for (std::uint64_t index = range.first; index <= range.last; ++index) {
                *files += flags[index] == 0;
                flags[index] = 1;
            }
        });
        std::memset(flags, 0, size);
    }
    return 1;
}

template <typename Visit>
void CInstallPageTracker::ForEachSelectedRange(std::uint32_t disk, Visit visit) {
    ClTree* setupTree = g_setup->setupTree;
    for (ClTreeNode* component = NextComponent(setupTree, nullptr); component != nullptr;
         component = NextComponent(setupTree, component)) {
        const std::uint8_t* data = nullptr;
        std::uint32_t length = 0;
        if (!IsComponentSelected(component, selectionMask) ||
            !ComponentDiskList(setupTree, component, disks.names[disk], &data, &length))
            continue;
        SFileIndexListReader reader;
        SFileIndexRange range;
        FileIndexListBegin(&reader, data, length);
        while (FileIndexListNext(&reader, &range))
            visit(range);
    }
}

// Enters the install folder in both logs, below the program-files folder it lies in (the 32-bit
// or the 64-bit one), so that uninstalling removes it and its parents up to there once they
// are empty. An install folder elsewhere is not entered.
int CInstallPageTracker::RecordInstallFolder() {
    SSetupInfo* info = context.info;
    const char* installFolder = folders[FolderMacro::IF];
    const char* base = nullptr;
    for (std::uint16_t macro : {FolderMacro::PF, FolderMacro::X64}) {
        if (LiesBelow(installFolder, folders[macro])) {
            base = folders[macro];
            break;
        }
    }
    if (base == nullptr)
        return 1;
    SLogKeys baseKeys;
    if (!LogChainPair(logTree, runLogTree, base, nullptr, &baseKeys))
        return 0;
    bool recorded = !SetupInfoTestOption(info, OPT_KEEP_INSTALL_FOLDER_KEYS);
    ClTreeNodeInfo logTemplate{
        TN_DATA | TN_SPARE, nullptr, nullptr, const_cast<std::uint8_t*>(kInstallFolderEntry), 8, 4};
    ClTreeNodeInfo runTemplate = logTemplate;
    runTemplate.data = const_cast<std::uint8_t*>(kInstallFolderRunEntry);
    const char* below = installFolder + std::strlen(base) + 1;
    ClTreeNode* logKey =
        LogCreateChain(logTree, baseKeys.log, below, recorded ? &logTemplate : nullptr);
    ClTreeNode* runKey =
        LogCreateChain(runLogTree, baseKeys.run, below, recorded ? &runTemplate : nullptr);
    if (logKey == nullptr || runKey == nullptr)
        return 0;
    // Counted once, the folders stay while this installation lasts. A folder read from the
    // registry belongs to someone else and is not counted.
    if (recorded && info->installFolderMacro != FolderMacro::RV) {
        for (ClTreeNode* key = logKey; key != baseKeys.log; key = key->parent) {
            if (std::uint32_t* count = LogCount(key))
                *count = 1;
        }
    }
    return 1;
}

void CInstallPageTracker::Release() {
    shellLink.Close();
    ClTreeDestroy(runLogTree);
    runLogTree = nullptr;
    programFile.Close();
    if (workFile[0] != '\0')
        DeleteFileA(workFile);
    if (workFolder[0] != '\0')
        RemoveDirectoryA(workFolder);
    workFile[0] = workFolder[0] = '\0';
}

void CInstallPageTracker::Start() {
    ProgressShow(&counters[BAR_MIDDLE], progress);
    ShowPhase(IDS_COPYING_FILES);
}

int CInstallPageTracker::Step() {
    if (ended_)
        return endResult_;
    if (listOpen_) {
        if (!rangeOpen_ && !(rangeOpen_ = FileIndexListNext(&list_, &range_) != 0)) {
            listOpen_ = false;  // the end of the list, or data that is no list: it ends here
            return 1;
        }
        std::uint32_t index = range_.first;
        if (range_.first == range_.last)
            rangeOpen_ = false;
        else
            ++range_.first;
        return InstallOne(index);
    }
    if (OpenNextList())
        return 1;
    return FinishRun();
}

// Opens the next list of a selected component on the current disk: components in document
// order, disks in name order. 0 when all disks are done.
int CInstallPageTracker::OpenNextList() {
    ClTree* setupTree = g_setup->setupTree;
    while (currentDisk_ < disks.count) {
        currentComponent_ = NextComponent(setupTree, currentComponent_);
        if (currentComponent_ == nullptr) {
            ++currentDisk_;
            continue;
        }
        const std::uint8_t* data = nullptr;
        std::uint32_t length = 0;
        if (IsComponentSelected(currentComponent_, selectionMask) &&
            ComponentDiskList(setupTree, currentComponent_, disks.names[currentDisk_], &data,
                              &length)) {
            FileIndexListBegin(&list_, data, length);
            listOpen_ = true;
            rangeOpen_ = false;
            return 1;
        }
    }
    return 0;
}

int CInstallPageTracker::FinishRun() {
    ended_ = true;
    endResult_ = 0;
    progress->CancelToClose();
    if (!RegisterUninstaller(this) || !RunPrograms(this))
        return 0;
    endResult_ = 1;
    progress->RunFinished(this);
    return 1;
}

int CInstallPageTracker::InstallOne(std::uint32_t index) {
    if (index >= disks.flagSizes[currentDisk_])
        return Fail(IDS_DATA_MISSING);
    std::uint8_t& installed = disks.flags[currentDisk_][index];
    if (installed)
        return 1;
    installed = 1;
    ProgressTick(&counters[BAR_MIDDLE], progress);
    ClTreeNode* item = PackageFindItem(g_setup->fileTree, index, &lastRecord_);
    ClTreeNode* parent = item ? ClTreeNavigate(item, TN_PARENT, nullptr) : nullptr;
    SFileRecord record;
    if (parent == nullptr ||
        !FileRecordRead(item->data, item->length, (item->flags & TN_KEY) != 0, &record))
        return Fail(IDS_DATA_MISSING);
    switch (record.kind) {
        case RECORD_FILE:
            return InstallFile(this, parent, item, record);
        case RECORD_FOLDER:
            return InstallFolder(this, parent, item);
        case RECORD_REGISTRY_KEY:
            return LogRegistryKey(this, parent, item);
        case RECORD_REGISTRY_VALUE:
            return LogRegistryValue(this, parent, item);
    }
    return Fail(IDS_DATA_MISSING);
}
