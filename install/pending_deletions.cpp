#include "install/pending_deletions.h"

#include "base/text_lines.h"

void RemovePendingDeletion(HANDLE list, char* buffer, std::uint32_t bufferSize, const char* path) {
    if (list == INVALID_HANDLE_VALUE || list == nullptr || buffer == nullptr)
        return;
    std::uint64_t position = 0;
    while (FindTextLine(list, buffer, bufferSize, path, &position) &&
           DeleteTextLine(list, buffer, bufferSize, position)) {
    }
}

int AddPendingDeletion(HANDLE list, char* buffer, std::uint32_t bufferSize, const char* path) {
    if (list == INVALID_HANDLE_VALUE || list == nullptr || buffer == nullptr)
        return 0;
    return FindTextLine(list, buffer, bufferSize, path, nullptr) || AppendTextLine(list, path);
}
