#include "base/temp_file.h"

#include <memory>
#include <new>

#include "base/file_io.h"

namespace {

constexpr std::uint32_t kCopyBufferSize = 0x20000;

}  // namespace

int ClTempFile::Create() {
    file_.Close();
    char folder[MAX_PATH];
    char name[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, "tmp", 0, name) == 0)
        return 0;
    // GetTempFileNameA has made the file empty. Opening it again without truncating also spares
    // it ext4's flush on close of a file truncated and rewritten (auto_da_alloc), which made
    // each temporary file cost milliseconds.
    file_.Attach(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file_.ok()) {
        DeleteFileA(name);
        return 0;
    }
    return 1;
}

int ClTempFile::Size(std::uint64_t* size) const {
    return file_.ok() && GetFileSize64(file_.get(), size);
}

int ClTempFile::CopyTo(HANDLE output) const {
    std::uint64_t size = 0;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kCopyBufferSize]);
    return buffer && Size(&size) && SetFilePosition(file_.get(), 0) &&
           CopyFileBytes(output, file_.get(), size, buffer.get(), kCopyBufferSize);
}
