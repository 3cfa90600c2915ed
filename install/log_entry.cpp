#include "install/log_entry.h"

#include "base/run_flags.h"
#include "install/install_log.h"
#include "package/layout/file_record.h"
#include "tree/tree.h"

namespace {

void PruneKey(ClTree* log, ClTreeNode* key, std::uint8_t runMode) {
    for (ClTreeNode* value = ClTreeNavigate(key, TN_FIRST_VALUE, nullptr); value != nullptr;) {
        ClTreeNode* next = ClTreeNavigate(value, TN_NEXT, nullptr);
        if (RunRemovesEntry(value, runMode))
            ClTreeDeleteNode(log, value);
        value = next;
    }
    for (ClTreeNode* sub = ClTreeNavigate(key, TN_FIRST_KEY, nullptr); sub != nullptr;) {
        ClTreeNode* next = ClTreeNavigate(sub, TN_NEXT, nullptr);
        PruneKey(log, sub, runMode);
        sub = next;
    }
    bool empty = ClTreeNavigate(key, TN_FIRST_KEY, nullptr) == nullptr &&
                 ClTreeNavigate(key, TN_FIRST_VALUE, nullptr) == nullptr;
    bool named = (key->flags & TN_NAMED) != 0;
    if (empty && named && (!(key->flags & TN_DATA) || RunRemovesEntry(key, runMode)))
        ClTreeDeleteNode(log, key);
}

}  // namespace

bool IsRemovable(std::uint8_t entryFlags, std::uint32_t count, std::uint8_t runMode) {
    return count == 0 && !(entryFlags & ITEM_NEVER_REMOVE) &&
           (!(entryFlags & ITEM_UNINSTALL_ONLY) || runMode == RUN_MODE_UNINSTALL);
}

bool IsRemovableEntry(ClTreeNode* node, std::uint8_t runMode) {
    const std::uint32_t* count = LogCount(node);
    return (node->flags & TN_NAMED) && count != nullptr &&
           IsRemovable(node->data[0], *count, runMode);
}

bool RunRemovesEntry(ClTreeNode* node, std::uint8_t runMode) {
    const std::uint32_t* count = LogCount(node);
    if (!(node->flags & TN_NAMED) || count == nullptr)
        return false;
    std::uint8_t marks = LogRunMarks(node);
    std::uint8_t flags = node->data[0];
    if (marks != 0)
        flags = static_cast<std::uint8_t>(flags & ~ITEM_UNINSTALL_ONLY);
    // In install mode: keys, and the values a failed run marked as its own.
    bool mayRemove = (node->flags & TN_KEY) || runMode == RUN_MODE_UNINSTALL || marks != 0;
    return mayRemove && IsRemovable(flags, *count, runMode);
}

int LogPrune(ClTree* log, std::uint8_t runMode) {
    for (ClTreeNode* key = ClTreeRoot(log); key != nullptr;) {
        ClTreeNode* next = ClTreeNavigate(key, TN_NEXT, nullptr);
        PruneKey(log, key, runMode);
        key = next;
    }
    return 1;
}
