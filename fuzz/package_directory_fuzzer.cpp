// PackageLoadDirectory on arbitrary bytes (a package at offset 0), then what the install run
// does with a loaded directory: every component's file-index lists are walked and each index
// is looked up in the file tree, and every file record's entry is opened. None of it may read
// outside its blocks, whatever the bytes say.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/file_io.h"
#include "fuzz/scratch_file.h"
#include "package/layout/file_index_list.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"
#include "tree/tree_owner.h"

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
        SFileIndexListReader reader;
        FileIndexListBegin(&reader, info->data, info->length);
        SFileIndexRange range;
        while (budget > 0 && FileIndexListNext(&reader, &range)) {
            for (std::uint32_t index = range.first; budget-- > 0; ++index) {
                ClTreeNode* item = PackageFindItem(fileTree, index, &hint);
                const ClTreeNodeInfo* found = item ? ClTreeNodeGetInfo(item) : nullptr;
                SFileRecord record;
                std::uint64_t stored = 0;
                if (found &&
                    FileRecordRead(found->data, found->length, found->flags & TN_KEY, &record) &&
                    record.kind == RECORD_FILE)
                    PackageOpenEntry(file, record.entryOffset, &stored, nullptr);
                if (index == range.last)
                    break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ClTempFile scratch = OpenScratchFile();
    const HANDLE file = scratch.handle();
    FillScratchFile(file, data, size);
    ClTreeOwner fileTree(ClTreeCreate());
    ClTreeOwner setupTree(ClTreeCreate());
    SSetupInfo info;
    if (PackageLoadDirectory(file, 0, fileTree.get(), &info, setupTree.get(), nullptr, nullptr))
        WalkLists(setupTree.get(), fileTree.get(), file);
    return 0;
}
