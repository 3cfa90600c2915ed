#include "install/file_backup.h"

#include <windows.h>

namespace {

bool Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool Move(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_COPY_ALLOWED) != 0;
}

}  // namespace

int MoveAside(const char* path, const char* backup) {
    for (int tries = 1; DeleteFileA(backup), Exists(backup); ++tries) {
        if (tries == kFileWaitTries)
            return 0;
        Sleep(kFileWaitMs);
    }
    for (int tries = 1; !Move(path, backup); ++tries) {
        if (tries == kFileWaitTries)
            return 0;
        Sleep(kFileWaitMs);
    }
    return 1;
}

int MoveBack(const char* path, const char* backup) {
    DeleteFileA(path);
    return Move(backup, path) ? 1 : 0;
}
