#include "base/file_io.h"

// SetFilePointer and GetFileSize report a failure by a low part of 0xFFFFFFFF, a valid value
// too, and a last error; the error is cleared first so that an older one is not taken for it.

int SetFilePosition(HANDLE file, std::uint64_t position) {
    LONG high = static_cast<LONG>(position >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file, static_cast<LONG>(position & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return 0;
    std::uint64_t reached = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
    return reached == position ? 1 : 0;
}

int GetFilePosition(HANDLE file, std::uint64_t* position) {
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return 0;
    *position = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
    return 1;
}

int GetFileSize64(HANDLE file, std::uint64_t* size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return 0;
    *size = (static_cast<std::uint64_t>(high) << 32) | low;
    return 1;
}

int WriteFileAll(HANDLE file, const void* buffer, std::uint32_t length) {
    DWORD written = 0;
    if (!WriteFile(file, buffer, length, &written, nullptr))
        return 0;
    return written >= length ? 1 : 0;
}

int ReadFileAll(HANDLE file, void* buffer, std::uint32_t length) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, length, &read, nullptr))
        return 0;
    return read >= length ? 1 : 0;
}

int CopyFileBytes(HANDLE destination, HANDLE source, std::uint64_t count, void* buffer,
                  std::uint32_t bufferSize) {
    if (count > 0 && bufferSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    while (count > 0) {
        std::uint32_t chunk = count < bufferSize ? static_cast<std::uint32_t>(count) : bufferSize;
        if (!ReadFileAll(source, buffer, chunk))
            return 0;
        if (!WriteFileAll(destination, buffer, chunk))
            return 0;
        count -= chunk;
    }
    return 1;
}
