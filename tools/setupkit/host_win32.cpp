// setupkit's host functions on Windows.
#include "tools/setupkit/host.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

#include "tools/setupkit/diagnostics.h"

namespace fs = std::filesystem;

namespace {

std::string ConvertChar(const std::string& in, UINT from, UINT to) {
    wchar_t wide[4];
    int count = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(),
                                    static_cast<int>(in.size()), wide, 4);
    if (count <= 0)
        return {};
    char out[16];
    BOOL usedDefault = FALSE;
    const bool toUtf8 = to == CP_UTF8;
    int written = WideCharToMultiByte(to, toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, count, out,
                                      sizeof out, nullptr, toUtf8 ? nullptr : &usedDefault);
    if (written <= 0 || usedDefault)
        return {};
    return std::string(out, static_cast<std::size_t>(written));
}

// A text through UTF-16 from and to a code page; characters the target cannot hold become its
// default character.
std::wstring Widen(const char* text, UINT from) {
    const int size = MultiByteToWideChar(from, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(from, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT to) {
    const int size = WideCharToMultiByte(to, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(to, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

// The file the console control handler deletes; it runs on a thread of its own.
CRITICAL_SECTION g_interruptLock;
std::string g_interruptPath;

BOOL WINAPI OnConsoleControl(DWORD) {
    EnterCriticalSection(&g_interruptLock);
    if (!g_interruptPath.empty())
        DeleteFileA(g_interruptPath.c_str());  // gone once the process has closed it
    LeaveCriticalSection(&g_interruptLock);
    return FALSE;  // the default handler ends the process
}

}  // namespace

fs::path ToolFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length && length < MAX_PATH ? fs::path(path).parent_path() : fs::path();
}

std::string AnsiPath(const fs::path& path) {
    return Narrow(path.wstring(), CP_ACP);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(Narrow(Widen(argv[i], CP_ACP), CP_UTF8));
    return arguments;
}

bool StderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

bool UtcTime(std::time_t time, std::tm* parts) {
    return time >= 0 && gmtime_s(parts, &time) == 0;
}

std::string CharToCp932(const std::string& utf8) {
    return ConvertChar(utf8, CP_UTF8, 932);
}

std::string CharFromCp932(const std::string& cp932) {
    return ConvertChar(cp932, 932, CP_UTF8);
}

bool IsLink(const fs::path& path) {
    const DWORD attributes = GetFileAttributesA(AnsiPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string MoveIntoPlace(const fs::path& from, const fs::path& to) {
    return MoveFileExA(AnsiPath(from).c_str(), AnsiPath(to).c_str(), MOVEFILE_REPLACE_EXISTING)
               ? std::string()
               : SystemErrorText(GetLastError());
}

void DeleteOnInterrupt(const std::string& ansiPath) {
    static bool installed = false;
    if (!installed) {
        InitializeCriticalSection(&g_interruptLock);
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
        installed = true;
    }
    EnterCriticalSection(&g_interruptLock);
    g_interruptPath = ansiPath;
    LeaveCriticalSection(&g_interruptLock);
}

Utf8Console::Utf8Console() : previous_(GetConsoleOutputCP()) {
    SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console() {
    SetConsoleOutputCP(previous_);
}
