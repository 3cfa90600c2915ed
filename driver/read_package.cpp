#include "driver/read_package.h"

#include "base/messages.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "tree/tree.h"

std::uint64_t packageOffset = 0;

void DestroyPackageTrees(SSetupContext* setup) {
    if (setup->setupTree)
        ClTreeDestroy(setup->setupTree);
    if (setup->fileTree)
        ClTreeDestroy(setup->fileTree);
    setup->setupTree = nullptr;
    setup->fileTree = nullptr;
}

int ReadPackage(SSetupContext* setup, SSetupInfo* info, std::uint64_t offset) {
    HANDLE file = CreateFileA(setup->programPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ShowMessage(nullptr, IDS_PROGRAM_UNOPENABLE, IDS_CAPTION_ERROR, MB_OK);
        return 0;
    }
    int result = 0;
    setup->setupTree = ClTreeCreate();
    if (setup->setupTree == nullptr) {
        ShowMessageBox(nullptr, IDS_CANNOT_READ_FILE, IDS_CAPTION_ERROR, MB_OK, setup->programPath);
    } else if ((setup->fileTree = ClTreeCreate()) == nullptr) {
        ShowMessage(nullptr, IDS_NO_MEMORY, IDS_CAPTION_ERROR, MB_OK);
    } else {
        PackageFailure failure = PACKAGE_FAIL_NONE;
        result = PackageLoadDirectory(file, offset, setup->fileTree, info, setup->setupTree,
                                      nullptr, &failure);
        if (!result && failure == PACKAGE_FAIL_SEEK) {
            ShowMessage(nullptr, IDS_SEEK_FAILED, IDS_CAPTION_ERROR, MB_OK);
        } else if (!result) {
            ShowMessageBox(nullptr, IDS_CANNOT_READ_FILE, IDS_CAPTION_ERROR, MB_OK,
                           setup->programPath);
        }
    }
    CloseHandle(file);
    if (!result)
        DestroyPackageTrees(setup);
    return result;
}
