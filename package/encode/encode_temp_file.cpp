#include "package/encode/encode_temp_file.h"

#include <memory>
#include <new>

#include "base/file_io.h"
#include "package/decode/codec_format.h"

EncodeTempFile::~EncodeTempFile() {
    Remove();
}

EncodeTempFile::EncodeTempFile(EncodeTempFile&& other) noexcept : handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
}

EncodeTempFile& EncodeTempFile::operator=(EncodeTempFile&& other) noexcept {
    if (this != &other) {
        Remove();
        handle_ = other.handle_;
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    return *this;
}

int EncodeTempFile::Create() {
    Remove();
    char folder[MAX_PATH];
    char name[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, "bce", 0, name) == 0)
        return 0;
    // GetTempFileNameA has created the file empty. Opening it again without truncating also
    // spares it ext4's flush on close of a file truncated and rewritten (auto_da_alloc), which
    // made each temporary file cost milliseconds. Deleted on close, the file leaves no name
    // behind however the process ends: POSIX hosts unlink it at once, Windows when the last
    // handle closes, which the system does for a process that is stopped.
    handle_ = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        DeleteFileA(name);
        return 0;
    }
    return 1;
}

int EncodeTempFile::Size(std::uint64_t* size) const {
    return handle_ != INVALID_HANDLE_VALUE && GetFileSize64(handle_, size);
}

int EncodeTempFile::CopyTo(HANDLE output) const {
    std::uint64_t size = 0;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kCodecInputBufferSize]);
    return buffer && Size(&size) && SetFilePosition(handle_, 0) &&
           CopyFileBytes(output, handle_, size, buffer.get(), kCodecInputBufferSize);
}

void EncodeTempFile::Remove() {
    if (handle_ == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

int WriteSections(HANDLE output, std::initializer_list<const EncodeTempFile*> sections) {
    // Method 1 has the most sections: four.
    constexpr std::size_t kSectionsMax = 4;
    std::uint8_t header[4 * kSectionsMax] = {};
    if (sections.size() > kSectionsMax)
        return 0;
    std::size_t n = 0;
    for (const EncodeTempFile* section : sections) {
        std::uint64_t size = 0;
        if (!section->Size(&size) || size > 0xFFFFFFFFu)
            return 0;
        StoreLe32(header + 4 * n, static_cast<std::uint32_t>(size));
        ++n;
    }
    if (!WriteFileAll(output, header, static_cast<std::uint32_t>(4 * n)))
        return 0;
    for (const EncodeTempFile* section : sections) {
        if (!section->CopyTo(output))
            return 0;
    }
    return 1;
}
