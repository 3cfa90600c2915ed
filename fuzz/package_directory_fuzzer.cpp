// PackageLoadDirectory on arbitrary bytes (a package at offset 0), then what the install run
// does with a loaded directory: every component's file-index lists are walked and each index
// is looked up in the file tree, and every file record's entry is opened. None of it may read
// outside its blocks, whatever the bytes say.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/file_io.h"
#include "fuzz/scratch_file.h"
#include "package/layout/package_layout.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"

namespace {

// Looks up every index that the component lists name, at most a bounded number of them.
void WalkLists(ClTree* setupTree, ClTree* fileTree, HANDLE file) {
    ClTreeNode* hint = nullptr;
    int budget = 4096;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(setupTree); node && budget > 0;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        if ((info->flags & TN_KEY) || !(info->flags & TN_DATA))
            continue;
        SFileListCursor cursor;
        FileListBegin(&cursor, info->data, info->length);
        std::uint32_t index;
        while (budget-- > 0 && FileListNext(&cursor, &index)) {
            ClTreeNode* item = PackageFindItem(fileTree, index, &hint);
            if (!item)
                continue;
            const ClTreeNodeInfo* record = ClTreeNodeGetInfo(item);
            std::uint64_t offset = 0;
            std::uint64_t stored = 0;
            if (RecordReadU64(record->data, record->length, kRecordEntryOffset, &offset))
                PackageOpenEntry(file, offset, &stored, nullptr);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static HANDLE file = OpenScratchFile("package_directory_fuzz");
    FillScratchFile(file, data, size);
    ClTree* fileTree = ClTreeCreate();
    ClTree* setupTree = ClTreeCreate();
    SSetupInfo info;
    if (PackageLoadDirectory(file, 0, fileTree, &info, setupTree, nullptr, nullptr))
        WalkLists(setupTree, fileTree, file);
    ClTreeDestroy(fileTree);
    ClTreeDestroy(setupTree);
    return 0;
}
