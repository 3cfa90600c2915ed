// A program that the install run opens: it appends its process creation time and its own file
// name to the file named by RUN_WITNESS_LOG, so that a test sees which programs ran in which
// order.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH];
    char self[MAX_PATH];
    if (!GetEnvironmentVariableA("RUN_WITNESS_LOG", log, sizeof log) ||
        !GetModuleFileNameA(nullptr, self, sizeof self))
        return 1;
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const char* name = std::strrchr(self, '\\');
    char line[MAX_PATH + 32];
    int length = std::snprintf(line, sizeof line, "%08lx%08lx %s\r\n", created.dwHighDateTime,
                               created.dwLowDateTime, name ? name + 1 : self);
    // Several witnesses may start at once: each retries until it has the file to itself.
    for (int tries = 0; tries < 200; ++tries) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
            CloseHandle(file);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}
