// CInstallPageTracker: the install run. Prepared once, then stepped by the progress page: each
// step installs one file index of a selected component's list, disk by disk in sorted order;
// after the last one it registers the uninstaller and runs the listed programs.
#pragma once

#include <shlobj.h>

#include <cstdint>

#include "base/win_handles.h"
#include "install/destination.h"
#include "install/install_log.h"
#include "install/page_tracker.h"
#include "package/layout/file_index_list.h"

class SCompress;
struct SSetupInfo;

// The destination the user chose on a custom install; stored into the setup information when
// the run starts.
struct SInstallChoice {
    const char* installPath;  // relative to installFolderMacro
    const char* group;        // program-menu group
    std::uint8_t installFolderMacro;
    std::uint8_t registryRootMacro;
};

// What the wizard lends the run for its whole length; the run owns none of it.
struct SInstallRunContext {
    SSetupInfo* info;    // the active setup information; the run changes it
    SCompress* codec;    // the sheet's decoder, initialised
    HANDLE pendingList;  // the pending-deletion list, held open by the wizard
    char* listBuffer;    // its work buffer: listBufferSize + 1 bytes
    std::uint32_t listBufferSize;
    HKEY sharedDlls;               // HKLM\...\CurrentVersion\SharedDLLs, open for writing
    std::uint64_t packageOffset;   // where the package starts in the program file
    std::uint8_t runFlags;         // SSetupContext.runFlags
    int custom;                    // 1: the custom selection, and choice applies
    const SInstallChoice* choice;  // the user's destination, or null
};

// The run's path buffers hold up to 519 bytes and a terminator.
constexpr int kRunPathSize = 520;
// A data block for log entries that stem from no file record: zero but for no file index at 4.
constexpr std::uint32_t kRecordTemplateSize = 59;

class CInstallPageTracker : public SInstallPageTracker {
  public:
    explicit CInstallPageTracker(const SInstallRunContext& runContext);
    ~CInstallPageTracker() override;

    int Prepare() override;
    void Release() override;
    void Start() override;
    int Step() override;

    // Installs one file index of the current disk. 1, or 0 after the message.
    int InstallOne(std::uint32_t index);

    // Shows message id (caption 2000) over the page with argument for "%s"; always 0.
    int Fail(unsigned id, const char* argument = nullptr);
    // Where an item named name below parent (a file-tree key) goes: its folder and path
    // (kFolderPathSize bytes each), and the folder's keys in both logs. 1, or 0 after message 3
    // (damaged data) or 1 (no memory).
    int LocateItem(ClTreeNode* parent, const char* name, char* folder, char* path, SLogKeys* keys);

    SInstallRunContext context;
    char dataFilePath[kRunPathSize] = {};
    char uninstallerPath[kRunPathSize] = {};
    FolderTable folders = {};
    std::uint32_t total = 0;
    std::uint8_t selectionMask = 0;
    ClComPtr<IShellLinkA> shellLink;
    std::uint8_t recordTemplate[kRecordTemplateSize] = {};
    // This run's additions only, every count 0: what a rollback removes. Owned.
    ClTree* runLogTree = nullptr;
    ClFileHandle programFile;
    char workFolder[kFolderPathSize] = {};
    char workFile[kFolderPathSize + 5] = {};

  private:
    void LoadEarlierInstallation();
    int PrepareDiskPlan(std::uint32_t* files);
    template <typename Visit>
    void ForEachSelectedRange(std::uint32_t disk, Visit visit);
    int RecordInstallFolder();
    int OpenNextList();
    int FinishRun();

    std::uint32_t currentDisk_ = 0;
    ClTreeNode* currentComponent_ = nullptr;
    SFileIndexListReader list_ = {};
    SFileIndexRange range_ = {};  // what is left of the range being installed
    bool listOpen_ = false;
    bool rangeOpen_ = false;
    ClTreeNode* lastRecord_ = nullptr;  // where the next record search starts
    bool ended_ = false;                // no more steps: Step gives endResult_
    int endResult_ = 1;
};
