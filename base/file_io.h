// Positioning, sizing, whole reads and writes, and copying over file handles.
// Results are 1 for success and 0 for failure; the platform's last error is left as the
// failing call set it. Positions and sizes are unsigned 64-bit.
#pragma once

#include <cstdint>

#include "base/platform.h"

// Moves to an absolute position; 1 only if the position reached equals the one asked for.
int SetFilePosition(HANDLE file, std::uint64_t position);
// Stores the current position; 0 if it cannot be had.
int GetFilePosition(HANDLE file, std::uint64_t* position);
// Stores the size; 0 only when the low part reads 0xFFFFFFFF with a non-zero last error.
int GetFileSize64(HANDLE file, std::uint64_t* size);
// 1 if the whole length was written.
int WriteFileAll(HANDLE file, const void* buffer, std::uint32_t length);
// 1 if the whole length was read.
int ReadFileAll(HANDLE file, void* buffer, std::uint32_t length);
// Copies count bytes from the source's current position to the destination's, in chunks of
// the buffer size; 0 on a short read or write, or when there is something to copy but the
// buffer has no room.
int CopyFileBytes(HANDLE destination, HANDLE source, std::uint64_t count, void* buffer,
                  std::uint32_t bufferSize);
