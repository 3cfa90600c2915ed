#include "package/layout/package_layout.h"

#include "base/file_io.h"
#include "base/little_endian.h"
#include "package/layout/file_record.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"
#include "tree/tree_file.h"

namespace {

constexpr SPackageNotice MakeNotice() {
    SPackageNotice notice{};
    for (std::uint32_t i = 0; i < kPackageNoticeSize; ++i)
        notice.text[i] = kPackageNotice[i];
    notice.packageOffset = 0;
    return notice;
}

int IsItem(ClTreeNode* node) {
    const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
    return (info->flags & TN_NAMED) && (info->flags & TN_DATA);
}

int ItemHasIndex(ClTreeNode* node, std::uint32_t index) {
    const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
    std::uint32_t itemIndex;
    return IsItem(node) && FileRecordReadIndex(info->data, info->length, &itemIndex) &&
           itemIndex == index;
}

// Walks from node (inclusive) up to stop (exclusive; null: the walk's end).
ClTreeNode* FindFrom(ClTreeNode* node, ClTreeNode* stop, std::uint32_t index) {
    std::int32_t depth = 0;
    for (; node && node != stop; node = ClTreeNavigate(node, TN_WALK, &depth)) {
        if (ItemHasIndex(node, index))
            return node;
    }
    return nullptr;
}

int Fail(PackageFailure* failure, PackageFailure why) {
    if (failure)
        *failure = why;
    return 0;
}

}  // namespace

const volatile SPackageNotice g_packageNotice = MakeNotice();

std::uint64_t PackageOffsetFromSlot() {
    return g_packageNotice.packageOffset;
}

int PackageLoadDirectory(HANDLE file, std::uint64_t packageOffset, ClTree* fileTree,
                         SSetupInfo* info, ClTree* setupTree, std::uint64_t* entryAreaLength,
                         PackageFailure* failure) {
    std::uint8_t lengthBytes[8];
    if (!SetFilePosition(file, packageOffset))
        return Fail(failure, PACKAGE_FAIL_SEEK);
    if (!ReadFileAll(file, lengthBytes, 8))
        return Fail(failure, PACKAGE_FAIL_READ);
    const std::uint64_t entryArea = LoadLe64(lengthBytes);
    if (entryArea > ~packageOffset - 8 || !SetFilePosition(file, packageOffset + 8 + entryArea))
        return Fail(failure, PACKAGE_FAIL_SEEK);
    if (!ClTreeLoad(file, fileTree, nullptr, 0, 0))
        return Fail(failure, PACKAGE_FAIL_FILE_TREE);
    if (!SetupInfoLoad(info, file))
        return Fail(failure, PACKAGE_FAIL_SETUP_INFO);
    if (!ClTreeLoad(file, setupTree, nullptr, 0, 0))
        return Fail(failure, PACKAGE_FAIL_SETUP_TREE);
    if (entryAreaLength)
        *entryAreaLength = entryArea;
    Fail(failure, PACKAGE_FAIL_NONE);
    return 1;
}

ClTreeNode* PackageFindItem(ClTree* fileTree, std::uint32_t index, ClTreeNode** hint) {
    ClTreeNode* start = ClTreeRoot(fileTree);
    ClTreeNode* from = hint && *hint ? *hint : start;
    ClTreeNode* found = FindFrom(from, nullptr, index);
    if (!found && from != start)
        found = FindFrom(start, from, index);
    if (found && hint)
        *hint = found;
    return found;
}

int PackageOpenEntry(HANDLE file, std::uint64_t entryOffset, std::uint64_t* storedLength,
                     PackageFailure* failure) {
    std::uint8_t lengthBytes[8];
    if (!SetFilePosition(file, entryOffset))
        return Fail(failure, PACKAGE_FAIL_SEEK);
    if (!ReadFileAll(file, lengthBytes, 8))
        return Fail(failure, PACKAGE_FAIL_READ);
    *storedLength = LoadLe64(lengthBytes);
    Fail(failure, PACKAGE_FAIL_NONE);
    return 1;
}
