#include "tools/setupkit/file_handle.h"

#include "tools/setupkit/diagnostics.h"

namespace {

[[noreturn]] void FailToOpen(const std::filesystem::path& path) {
    throw ToolError("cannot open " + path.u8string() + " (error " + std::to_string(GetLastError()) +
                    ")");
}

}  // namespace

ClFileHandle OpenForReading(const std::filesystem::path& path) {
    HANDLE handle = CreateFileA(AnsiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        FailToOpen(path);
    return ClFileHandle(handle);
}

ClFileHandle CreateForWriting(const std::filesystem::path& path) {
    HANDLE handle = CreateFileA(AnsiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        FailToOpen(path);
    return ClFileHandle(handle);
}

ClFileHandle CreateNewFile(const std::filesystem::path& path) {
    HANDLE handle =
        CreateFileA(AnsiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        FailToOpen(path);
    return ClFileHandle(handle);
}
