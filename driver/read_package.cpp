#include "driver/read_package.h"

#include "base/messages.h"
#include "base/win_handles.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "tree/tree.h"
#include "tree/tree_owner.h"

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
    ClFileHandle file(CreateFileA(setup->programPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) {
        ShowMessage(nullptr, IDS_PROGRAM_UNOPENABLE, IDS_CAPTION_ERROR, MB_OK);
        return 0;
    }
    ClTreeOwner setupTree(ClTreeCreate());
    if (!setupTree) {
        ShowMessageBox(nullptr, IDS_CANNOT_READ_FILE, IDS_CAPTION_ERROR, MB_OK, setup->programPath);
        return 0;
    }
    ClTreeOwner fileTree(ClTreeCreate());
    if (!fileTree) {
        ShowMessage(nullptr, IDS_NO_MEMORY, IDS_CAPTION_ERROR, MB_OK);
        return 0;
    }
    PackageFailure failure = PACKAGE_FAIL_NONE;
    if (!PackageLoadDirectory(file.get(), offset, fileTree.get(), info, setupTree.get(), nullptr,
                              &failure)) {
        if (failure == PACKAGE_FAIL_SEEK)
            ShowMessage(nullptr, IDS_SEEK_FAILED, IDS_CAPTION_ERROR, MB_OK);
        else
            ShowMessageBox(nullptr, IDS_CANNOT_READ_FILE, IDS_CAPTION_ERROR, MB_OK,
                           setup->programPath);
        return 0;
    }
    setup->setupTree = setupTree.release();
    setup->fileTree = fileTree.release();
    return 1;
}
