#include "base/file_stream.h"

#include <new>

#include "base/file_io.h"

SFileStream* FileStreamOpen(const char* path, DWORD access, DWORD share,
                            LPSECURITY_ATTRIBUTES security, DWORD disposition,
                            DWORD flagsAndAttributes, HANDLE templateFile) {
    HANDLE handle =
        CreateFileA(path, access, share, security, disposition, flagsAndAttributes, templateFile);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    SFileStream* stream = FileStreamAttach(handle, 1);
    if (stream == nullptr)
        CloseHandle(handle);
    return stream;
}

SFileStream* FileStreamAttach(HANDLE handle, std::uint8_t flags) {
    auto* stream = new (std::nothrow) SFileStream;
    if (stream == nullptr)
        return nullptr;
    stream->mode = (flags & 1) ? kFileStreamOwnsHandle : 0;
    stream->handle = handle;
    return stream;
}

int FileStreamWrite(SFileStream* stream, const void* buffer, std::uint32_t count,
                    std::uint32_t* written) {
    DWORD done = 0;
    BOOL ok = WriteFile(stream->handle, buffer, count, &done, nullptr);
    if (written)
        *written = done;
    return ok && done >= count ? 1 : 0;
}

int FileStreamRead(SFileStream* stream, void* buffer, std::uint32_t count, std::uint32_t* read) {
    DWORD done = 0;
    BOOL ok = ReadFile(stream->handle, buffer, count, &done, nullptr);
    if (!ok)
        done = 0;
    if (read)
        *read = done;
    return done >= count ? 1 : 0;
}

HANDLE FileStreamHandle(const SFileStream* stream) {
    return stream->handle;
}

int FileStreamTell(SFileStream* stream, std::uint64_t* position) {
    return GetFilePosition(stream->handle, position);
}

int FileStreamSeek(SFileStream* stream, std::uint64_t position) {
    return SetFilePosition(stream->handle, position);
}

int FileStreamTruncate(SFileStream* stream) {
    return SetEndOfFile(stream->handle) ? 1 : 0;
}

HANDLE FileStreamClose(SFileStream* stream) {
    HANDLE handle = stream->handle;
    if (stream->mode & kFileStreamOwnsHandle)
        CloseHandle(handle);
    delete stream;
    return handle;
}
