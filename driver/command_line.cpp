#include "driver/command_line.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/run_flags.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Length of the drive and folder part of path: up to and including its last real separator
// (a trail byte 0x5C of a double-byte character is none). A path without a separator has only
// its drive, if any.
std::size_t FolderPartLength(const char* path) {
    std::size_t length = std::strlen(path);
    std::size_t folder = (length >= 2 && path[1] == ':') ? 2 : 0;
    for (std::size_t i = 0; i < length; ++i) {
        if ((path[i] == '\\' || path[i] == '/') &&
            !IsTrailByteAt(path, static_cast<std::uint32_t>(i)))
            folder = i + 1;
    }
    return folder;
}

}  // namespace

int SplitCommandLine(char* folderOut, int folderSize, char* pathOut, int pathSize, int maxChars,
                     const char* commandLine) {
    const char* start = commandLine;
    const char* end;
    if (*start == '"') {
        ++start;
        end = std::strchr(start, '"');
        if (end == nullptr)
            end = start + std::strlen(start);
    } else if (IsBlank(*start)) {
        end = start;
    } else {
        end = start;
        while (*end != '\0' && !IsBlank(*end))
            ++end;
    }
    std::size_t length = static_cast<std::size_t>(end - start);
    if (length + 1 > static_cast<std::size_t>(maxChars) ||
        length + 1 > static_cast<std::size_t>(pathSize))
        return 0;
    std::memcpy(pathOut, start, length);
    pathOut[length] = '\0';
    std::size_t folder = FolderPartLength(pathOut);
    if (folder + 1 > static_cast<std::size_t>(folderSize))
        return 0;
    std::memcpy(folderOut, pathOut, folder);
    folderOut[folder] = '\0';
    return 1;
}

int ParseCommandTail(const char* tail, char* dataFileArg, SCommandTail* result) {
    result->runFlags = 0;
    result->tooLongRest = nullptr;
    const char* cursor = tail;
    while (IsBlank(*cursor))
        ++cursor;
    while (*cursor != '\0') {
        if (*cursor == '"') {
            const char* text = cursor + 1;
            const char* close = std::strchr(text, '"');
            std::size_t length = close ? static_cast<std::size_t>(close - text) : std::strlen(text);
            if (length >= kQuotedArgumentTooLong) {
                result->tooLongRest = text;
                return 0;
            }
            std::memcpy(dataFileArg, text, length);
            dataFileArg[length] = '\0';
            cursor = close ? close + 1 : text + length;
        } else if (*cursor == '/' && cursor[1] != '\0') {
            char option = cursor[1];
            if (option == 'R' || option == 'r')
                result->runFlags |= RUN_RESTART;
            if (option == 'U' || option == 'u')
                result->runFlags |= RUN_UNINSTALL;
            cursor += 2;
        } else {
            ++cursor;
        }
        while (IsBlank(*cursor))
            ++cursor;
    }
    return 1;
}
