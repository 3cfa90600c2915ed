// Scratch files opened through the platform seam, the way the code under test opens its own.
#pragma once

#include <string>

#include "base/platform.h"
#include "base/win_handles.h"

// An existing file, or with CREATE_ALWAYS a new empty one; others may read it meanwhile.
inline ClFileHandle OpenScratchFile(const std::string& path, DWORD access,
                                    DWORD disposition = OPEN_EXISTING) {
    return ClFileHandle(CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}
