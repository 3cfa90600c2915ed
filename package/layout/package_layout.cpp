#include "package/layout/package_layout.h"

#include "base/file_io.h"
#include "base/little_endian.h"
#include "base/varint.h"
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

// Reads the u32 operand at the cursor, or marks the list malformed.
int TakeU32(SFileListCursor* cursor, std::uint32_t* value) {
    if (cursor->end - cursor->at < 4) {
        cursor->malformed = 1;
        return 0;
    }
    *value = LoadLe32(cursor->at);
    cursor->at += 4;
    return 1;
}

// The count of opcode 2: a varint that must end inside the block.
int TakeCount(SFileListCursor* cursor, std::uint32_t* count) {
    const std::uint8_t* last = cursor->at;
    while (last < cursor->end && (*last & 0x80))
        ++last;
    if (last == cursor->end || last - cursor->at >= 5) {
        cursor->malformed = 1;
        return 0;
    }
    cursor->at += DecodeVarint(cursor->at, count);
    return 1;
}

int StopList(SFileListCursor* cursor, int malformed) {
    cursor->at = cursor->end;
    cursor->pending = 0;
    cursor->malformed = static_cast<std::uint8_t>(cursor->malformed | malformed);
    return 0;
}

int IsItem(ClTreeNode* node) {
    const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
    return (info->flags & TN_NAMED) && (info->flags & TN_DATA);
}

int ItemHasIndex(ClTreeNode* node, std::uint32_t index) {
    const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
    std::uint32_t itemIndex;
    return IsItem(node) && RecordReadU32(info->data, info->length, kRecordIndex, &itemIndex) &&
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

void FileListBegin(SFileListCursor* cursor, const std::uint8_t* data, std::uint32_t length) {
    cursor->at = data;
    cursor->end = data ? data + length : data;
    cursor->pending = 0;
    cursor->next = 0;
    cursor->opcode = FILE_LIST_END;
    cursor->malformed = 0;
}

int FileListNext(SFileListCursor* cursor, std::uint32_t* index) {
    for (;;) {
        if (cursor->pending > 0) {
            --cursor->pending;
            if (cursor->opcode == FILE_LIST_RANGE) {
                *index = cursor->next++;
                return 1;
            }
            return TakeU32(cursor, index) ? 1 : StopList(cursor, 1);
        }
        if (cursor->at >= cursor->end)
            return StopList(cursor, 1);  // no end opcode
        cursor->opcode = *cursor->at++;
        switch (cursor->opcode) {
            case FILE_LIST_END:
                return StopList(cursor, 0);
            case FILE_LIST_ONE:
                cursor->pending = 1;
                break;
            case FILE_LIST_SOME:
                if (!TakeCount(cursor, &cursor->pending))
                    return StopList(cursor, 1);
                if (cursor->end - cursor->at < static_cast<std::int64_t>(cursor->pending) * 4)
                    return StopList(cursor, 1);
                break;
            case FILE_LIST_RANGE: {
                std::uint32_t first, last;
                if (!TakeU32(cursor, &first) || !TakeU32(cursor, &last))
                    return StopList(cursor, 1);
                cursor->next = first;
                // A range of all 2^32 indexes cannot be counted in 32 bits; no package has one.
                if (first == 0 && last == 0xFFFFFFFF)
                    return StopList(cursor, 1);
                cursor->pending = first > last ? 0 : last - first + 1;
                break;
            }
            default:
                return StopList(cursor, 1);
        }
    }
}

int RecordReadU32(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                  std::uint32_t* value) {
    if (!data || length < 4 || offset > length - 4)
        return 0;
    *value = LoadLe32(data + offset);
    return 1;
}

int RecordReadU64(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                  std::uint64_t* value) {
    if (!data || length < 8 || offset > length - 8)
        return 0;
    *value = LoadLe64(data + offset);
    return 1;
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
