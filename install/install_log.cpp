#include "install/install_log.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/platform.h"
#include "package/layout/file_record.h"
#include "tree/tree.h"

namespace {

constexpr std::uint32_t kEntrySpare = 4;

bool IsKind(const ClTreeNode* node, std::uint8_t kind) {
    return ((node->flags & TN_KEY) != 0) == ((kind & TN_KEY) != 0);
}

// The first child of key of the kind named by length bytes at name (ASCII case ignored).
ClTreeNode* FirstNamed(ClTreeNode* key, const char* name, std::uint32_t length, std::uint8_t kind,
                       bool withData) {
    ClTreeNode* child =
        ClTreeNavigate(key, (kind & TN_KEY) ? TN_FIRST_KEY : TN_FIRST_VALUE, nullptr);
    for (; child != nullptr; child = ClTreeNavigate(child, TN_NEXT, nullptr)) {
        const char* childName = (child->flags & TN_NAMED) ? child->name : "";
        if (IsKind(child, kind) && std::strlen(childName) == length &&
            CompareNoCaseN(childName, name, length) && (!withData || (child->flags & TN_DATA)))
            return child;
    }
    return nullptr;
}

ClTreeNode* AddNode(ClTree* tree, ClTreeNode* parent, const char* name, std::uint8_t flags,
                    const std::uint8_t* data, std::uint32_t length, std::uint32_t spare) {
    ClTreeNodeInfo info{};
    info.flags = static_cast<std::uint8_t>(flags | TN_NAMED | TN_LINKED);
    info.parent = parent;
    info.name = name;
    info.data = const_cast<std::uint8_t*>(data);
    info.length = length;
    info.spare = spare;
    return ClTreeAddNode(tree, &info);
}

}  // namespace

ClTreeNode* LogCreateChain(ClTree* log, ClTreeNode* start, const char* path,
                           const ClTreeNodeInfo* keyTemplate) {
    if (log == nullptr || path == nullptr || *path == '\0')
        return nullptr;
    ClTreeNode* key = start;
    char name[MAX_PATH];
    const char* at = path;
    for (;;) {
        // One component: up to a "\" that is not a trail byte.
        std::size_t length = 0;
        while (at[length] != '\0' && at[length] != '\\') {
            if (IsDBCSLeadByte(static_cast<BYTE>(at[length])) && at[length + 1] != '\0')
                ++length;
            ++length;
        }
        if (length >= sizeof name)
            return nullptr;
        std::memcpy(name, at, length);
        name[length] = '\0';
        ClTreeNode* next =
            key ? FirstNamed(key, name, static_cast<std::uint32_t>(length), TN_KEY, false)
                : ClTreeFindChild(log, nullptr, name, static_cast<std::uint32_t>(length), TN_KEY);
        if (next == nullptr) {
            std::uint8_t flags = keyTemplate ? keyTemplate->flags : 0;
            next = AddNode(log, key, name, static_cast<std::uint8_t>(flags | TN_KEY),
                           keyTemplate ? keyTemplate->data : nullptr,
                           keyTemplate ? keyTemplate->length : 0,
                           keyTemplate ? keyTemplate->spare : 0);
            if (next == nullptr)
                return nullptr;
        }
        key = next;
        at += length;
        if (*at == '\0' || at[1] == '\0')  // the end, or a trailing separator
            return key;
        ++at;
    }
}

ClTreeNode* LogFindEntry(ClTreeNode* key, const char* name, std::uint8_t kind) {
    if (key == nullptr)
        return nullptr;
    return FirstNamed(key, name, static_cast<std::uint32_t>(std::strlen(name)), kind, true);
}

std::uint32_t* LogCount(ClTreeNode* entry) {
    return entry ? ClTreeNodeCounter(ClTreeNodeGetInfo(entry)) : nullptr;
}

int LogAddEntry(ClTree* log, ClTreeNode* logKey, ClTree* runLog, ClTreeNode* runKey,
                const char* name, const std::uint8_t* data, std::uint32_t length, std::uint8_t kind,
                SLogPair* added) {
    std::uint8_t flags = static_cast<std::uint8_t>(TN_DATA | TN_SPARE | (kind & TN_KEY));
    added->log = AddNode(log, logKey, name, flags, data, length, kEntrySpare);
    added->run =
        added->log ? AddNode(runLog, runKey, name, flags, data, length, kEntrySpare) : nullptr;
    std::uint32_t* logCount = LogCount(added->log);
    std::uint32_t* runCount = LogCount(added->run);
    if (logCount == nullptr || runCount == nullptr) {
        LogRemoveEntry(log, runLog, added);
        return 0;
    }
    *logCount = 1;
    *runCount = 0;
    added->run->data[0] &= static_cast<std::uint8_t>(~ITEM_DELETE_AT_RESTART);
    return 1;
}

void LogRemoveEntry(ClTree* log, ClTree* runLog, const SLogPair* added) {
    ClTreeDeleteNode(log, added->log);
    ClTreeDeleteNode(runLog, added->run);
}

void LogMarkRun(ClTreeNode* runEntry, std::uint8_t marks) {
    if (runEntry != nullptr && (runEntry->flags & TN_SPARE) && runEntry->spare > 0)
        runEntry->data[runEntry->length] |= marks;
}

std::uint8_t LogRunMarks(const ClTreeNode* entry) {
    if (entry == nullptr || !(entry->flags & TN_DATA) || !(entry->flags & TN_SPARE) ||
        entry->spare == 0)
        return 0;
    return entry->data[entry->length];
}

int LogChainPair(ClTree* log, ClTree* runLog, const char* path, const ClTreeNodeInfo* keyTemplate,
                 SLogKeys* keys) {
    keys->log = LogCreateChain(log, nullptr, path, keyTemplate);
    keys->run = keys->log ? LogCreateChain(runLog, nullptr, path, keyTemplate) : nullptr;
    return keys->run != nullptr;
}

int LogRecord(ClTree* log, ClTree* runLog, const SLogKeys& keys, const char* name,
              const std::uint8_t* data, std::uint32_t length, std::uint8_t kind,
              SLogRecord* record) {
    *record = SLogRecord{};
    record->entry = LogFindEntry(keys.log, name, kind);
    std::uint32_t* count = LogCount(record->entry);
    if (count != nullptr) {
        ++*count;
        record->raised = true;
        return 1;
    }
    if (!LogAddEntry(log, keys.log, runLog, keys.run, name, data, length, kind, &record->added))
        return 0;
    record->entry = record->added.log;
    return 1;
}

void LogUnrecord(ClTree* log, ClTree* runLog, SLogRecord* record) {
    if (record->raised)
        --*LogCount(record->entry);
    LogRemoveEntry(log, runLog, &record->added);
    *record = SLogRecord{};
}
