#include "tools/setupkit/file_handle.h"

#include "tools/setupkit/diagnostics.h"

namespace {

HANDLE Open(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition) {
    // The platform layer takes ANSI paths: code page 932 on a Japanese Windows, bytes on Linux.
    HANDLE handle = CreateFileA(path.string().c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw ToolError("cannot open " + path.u8string() + " (error " +
                        std::to_string(GetLastError()) + ")");
    return handle;
}

}  // namespace

FileHandle FileHandle::OpenRead(const std::filesystem::path& path) {
    return FileHandle(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
}

FileHandle FileHandle::Create(const std::filesystem::path& path) {
    return FileHandle(Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
}

void FileHandle::Close() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}
