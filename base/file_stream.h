// SFileStream: one file handle on the heap, owned (closed with the stream) or borrowed, so that
// the codec and the file copy can pass an open file around with its ownership.
#pragma once

#include <cstdint>

#include "base/platform.h"

struct SFileStream {
    // Bits 0-3: the kind of stream, always 0 (a file handle). Bit 4: the stream owns the handle.
    std::uint32_t mode;
    HANDLE handle;
};

constexpr std::uint32_t kFileStreamOwnsHandle = 0x10;

// CreateFileA with exactly these arguments; a stream that owns the handle, or null.
SFileStream* FileStreamOpen(const char* path, DWORD access, DWORD share,
                            LPSECURITY_ATTRIBUTES security, DWORD disposition,
                            DWORD flagsAndAttributes, HANDLE templateFile);
// A stream around an existing handle; it owns the handle if bit 0 of flags is set. Null if
// memory runs out.
SFileStream* FileStreamAttach(HANDLE handle, std::uint8_t flags);
// 1 and the count written if at least count bytes were written, else 0.
int FileStreamWrite(SFileStream* stream, const void* buffer, std::uint32_t count,
                    std::uint32_t* written);
// 1 and the count read if at least count bytes were read, else 0.
int FileStreamRead(SFileStream* stream, void* buffer, std::uint32_t count, std::uint32_t* read);
HANDLE FileStreamHandle(const SFileStream* stream);
// The current position; 1, or 0 if it cannot be had.
int FileStreamTell(SFileStream* stream, std::uint64_t* position);
// Moves to an absolute position; 1 only if the position reached equals the one asked for.
int FileStreamSeek(SFileStream* stream, std::uint64_t position);
// Ends the file at the current position; 1, or 0 if that fails (for example on a handle
// without write access), so that no caller takes a longer file for the one it wrote.
int FileStreamTruncate(SFileStream* stream);
// Closes the handle if owned, frees the stream, and returns the handle value.
HANDLE FileStreamClose(SFileStream* stream);
