#include "package/layout/file_record.h"

#include <cstring>

#include "base/little_endian.h"

namespace {

constexpr std::uint32_t kFlags = 0;
constexpr std::uint32_t kIndex = 4;
constexpr std::uint32_t kCreationTime = 12;
constexpr std::uint32_t kAccessTime = 20;
constexpr std::uint32_t kWriteTime = 28;
constexpr std::uint32_t kEntryOffset = 40;
constexpr std::uint32_t kShortcuts = 48;
constexpr std::uint32_t kCheckMode = 8;
constexpr std::uint32_t kCheckText = 9;
constexpr std::uint32_t kRegistryRecordSize = kRecordHeadSize + kRecordCounterSize;

FILETIME LoadTime(const std::uint8_t* bytes) {
    FILETIME time;
    time.dwLowDateTime = LoadLe32(bytes);
    time.dwHighDateTime = LoadLe32(bytes + 4);
    return time;
}

void StoreTime(std::uint8_t* bytes, const FILETIME& time) {
    StoreLe32(bytes, time.dwLowDateTime);
    StoreLe32(bytes + 4, time.dwHighDateTime);
}

// The NUL-terminated string at *at, which must end before limit; moves *at behind its NUL.
const char* TakeString(const std::uint8_t* data, std::uint32_t* at, std::uint32_t limit) {
    const std::uint32_t start = *at;
    while (*at < limit && data[*at] != 0)
        ++*at;
    if (*at >= limit)
        return nullptr;
    ++*at;
    return reinterpret_cast<const char*>(data + start);
}

std::uint32_t TextSize(const char* text) {
    return text ? static_cast<std::uint32_t>(std::strlen(text)) + 1 : 1;
}

std::uint8_t* PutText(std::uint8_t* out, const char* text) {
    const std::uint32_t size = TextSize(text);
    if (text)
        std::memcpy(out, text, size);
    else
        *out = 0;
    return out + size;
}

int ReadFileFields(const std::uint8_t* data, std::uint32_t length, SFileRecord* record) {
    if (length < kShortcuts + kRecordCounterSize)
        return 0;
    record->creationTime = LoadTime(data + kCreationTime);
    record->accessTime = LoadTime(data + kAccessTime);
    record->writeTime = LoadTime(data + kWriteTime);
    record->entryOffset = LoadLe64(data + kEntryOffset);
    const std::uint32_t limit = length - kRecordCounterSize;
    std::uint32_t at = kShortcuts;
    record->shortcutName = TakeString(data, &at, limit);
    record->shortcutDescription = record->shortcutName ? TakeString(data, &at, limit) : nullptr;
    record->shortcutArguments =
        record->shortcutDescription ? TakeString(data, &at, limit) : nullptr;
    return record->shortcutArguments != nullptr;
}

int ReadRegistryKeyFields(const std::uint8_t* data, std::uint32_t length, SFileRecord* record) {
    if (!(record->flags & ITEM_KEY_CHECK_DEFAULT))
        return length >= kRegistryRecordSize;
    if (length < kCheckText + 1 + kRecordCounterSize)
        return 0;
    record->checkMode = data[kCheckMode];
    std::uint32_t at = kCheckText;
    record->checkText = TakeString(data, &at, length - kRecordCounterSize);
    return record->checkText != nullptr;
}

}  // namespace

int FileRecordRead(const std::uint8_t* data, std::uint32_t length, int isKey, SFileRecord* record) {
    *record = SFileRecord{};
    record->flags = data && length > 0 ? data[kFlags] : 0;
    const bool registry = record->flags & ITEM_REGISTRY;
    record->kind = isKey ? (registry ? RECORD_REGISTRY_KEY : RECORD_FOLDER)
                         : (registry ? RECORD_REGISTRY_VALUE : RECORD_FILE);
    if (!FileRecordReadIndex(data, length, &record->index))
        return 0;
    switch (record->kind) {
        case RECORD_FOLDER:
            return 1;
        case RECORD_FILE:
            return ReadFileFields(data, length, record);
        case RECORD_REGISTRY_KEY:
            return ReadRegistryKeyFields(data, length, record);
        case RECORD_REGISTRY_VALUE:
            return length >= kRegistryRecordSize;
    }
    return 0;
}

int FileRecordReadIndex(const std::uint8_t* data, std::uint32_t length, std::uint32_t* index) {
    if (!data || length < kRecordHeadSize)
        return 0;
    *index = LoadLe32(data + kIndex);
    return 1;
}

std::uint32_t FileRecordSize(const SFileRecord* record) {
    switch (record->kind) {
        case RECORD_FOLDER:
            return kRecordHeadSize;
        case RECORD_FILE:
            return kShortcuts + TextSize(record->shortcutName) +
                   TextSize(record->shortcutDescription) + TextSize(record->shortcutArguments) +
                   kRecordCounterSize;
        case RECORD_REGISTRY_KEY:
            if (record->flags & ITEM_KEY_CHECK_DEFAULT)
                return kCheckText + TextSize(record->checkText) + kRecordCounterSize;
            return kRegistryRecordSize;
        case RECORD_REGISTRY_VALUE:
            return kRegistryRecordSize;
    }
    return kRecordHeadSize;
}

void FileRecordWrite(const SFileRecord* record, std::uint8_t* out) {
    std::memset(out, 0, FileRecordSize(record));
    out[kFlags] = record->flags;
    StoreLe32(out + kIndex, record->index);
    if (record->kind == RECORD_FILE) {
        StoreTime(out + kCreationTime, record->creationTime);
        StoreTime(out + kAccessTime, record->accessTime);
        StoreTime(out + kWriteTime, record->writeTime);
        StoreLe64(out + kEntryOffset, record->entryOffset);
        std::uint8_t* at = PutText(out + kShortcuts, record->shortcutName);
        at = PutText(at, record->shortcutDescription);
        PutText(at, record->shortcutArguments);
    } else if (record->kind == RECORD_REGISTRY_KEY && (record->flags & ITEM_KEY_CHECK_DEFAULT)) {
        out[kCheckMode] = record->checkMode;
        PutText(out + kCheckText, record->checkText);
    }
}

int FileRecordSetIndex(std::uint8_t* data, std::uint32_t length, std::uint32_t index) {
    if (!data || length < kRecordHeadSize)
        return 0;
    StoreLe32(data + kIndex, index);
    return 1;
}

int FileRecordSetEntryOffset(std::uint8_t* data, std::uint32_t length, std::uint64_t offset) {
    if (!data || length < kEntryOffset + 8)
        return 0;
    StoreLe64(data + kEntryOffset, offset);
    return 1;
}
