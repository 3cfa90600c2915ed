#include "tools/setupkit/file_handle.h"

#include "tools/setupkit/diagnostics.h"

std::string AnsiPath(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(ansi.size() - 1);
    return ansi;
#else
    return path.string();
#endif
}

namespace {

HANDLE Open(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE handle = CreateFileA(AnsiPath(path).c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw ToolError("cannot open " + path.u8string() + " (error " +
                        std::to_string(GetLastError()) + ")");
    return handle;
}

}  // namespace

ClFileHandle OpenForReading(const std::filesystem::path& path) {
    return ClFileHandle(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
}

ClFileHandle CreateForWriting(const std::filesystem::path& path) {
    return ClFileHandle(Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
}
