#include "base/folders.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/platform.h"
#include "base/win_handles.h"

namespace {

bool Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL MakeFolder(const char* path) {
    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    return CreateDirectoryA(path, &security);
}

bool EndsWithSeparator(const char* path) {
    std::size_t length = std::strlen(path);
    return length > 1 && IsCharAt(path, static_cast<std::uint32_t>(length - 1), '\\');
}

// Creates each missing level of path: every prefix that ends at a real separator, and the
// whole path. A drive prefix ("C:") is taken as existing; the empty prefix of a network path
// cannot be created, so such a path succeeds only if it exists in full.
int CreateEveryLevel(const char* path) {
    char prefix[MAX_PATH + 1];
    std::size_t length = std::strlen(path);
    bool hasDrive = length >= 2 && path[1] == ':';
    for (std::size_t i = 0; i <= length; ++i) {
        if (i < length && IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < length) {
            prefix[i] = path[i];
            prefix[i + 1] = path[i + 1];
            ++i;
            continue;
        }
        if (i == length || path[i] == '\\') {
            prefix[i] = '\0';
            bool isDrive = hasDrive && i == 2;
            if (!isDrive && !Exists(prefix) && !MakeFolder(prefix))
                return 0;
        }
        prefix[i] = path[i];
    }
    return 1;
}

}  // namespace

int CreateFolderPath(const char* path, const char* name) {
    if (std::strlen(path) > MAX_PATH)
        return 0;
    if (!Exists(path) && !CreateEveryLevel(path))
        return 0;
    if (name == nullptr)
        return 1;
    char folder[MAX_PATH + 2];
    std::strcpy(folder, path);
    if (!EndsWithSeparator(folder))
        std::strcat(folder, "\\");
    if (std::strlen(folder) + std::strlen(name) > MAX_PATH)
        return 0;
    std::strcat(folder, name);
    if (Exists(folder))
        return 1;
    return MakeFolder(folder) ? 1 : 0;
}

int CreateTempFolder(char* folder, char* file, unsigned fileSize) {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    if (EndsWithSeparator(temp))
        temp[length - 1] = '\0';
    if (GetTempFileNameA(temp, "tmp", 0, folder) == 0)
        return 0;
    DeleteFileA(folder);
    if (!CreateDirectoryA(folder, nullptr))
        return 0;
    std::size_t folderLength = std::strlen(folder);
    if (folderLength + 3 > fileSize)
        return 0;
    std::strcpy(file, folder);
    if (!EndsWithSeparator(file))
        std::strcat(file, "\\");
    std::strcat(file, "0");
    ClFileHandle probe(CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.ok())
        return 0;
    probe.Close();
    DeleteFileA(file);
    return 1;
}
