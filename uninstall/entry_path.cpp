#include "uninstall/entry_path.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/safe_name.h"
#include "setupinfo/folder_macros.h"
#include "tree/tree.h"

int EntryPath(const ClTreeNode* entry, char* out) {
    std::uint32_t size = ClTreeGetPath(entry, nullptr, "\\");
    if (size == 0 || size > static_cast<std::uint32_t>(kEntryPathSize))
        return 0;
    ClTreeGetPath(entry, out, "\\");
    std::size_t length = std::strlen(out);
    if (length == 0 || IsCharAt(out, static_cast<std::uint32_t>(length - 1), '\\'))
        return 0;
    if (EndsInLeadByte(out)) {
        if (length + 1 >= static_cast<std::size_t>(kEntryPathSize))
            return 0;
        out[length] = '\\';
        out[length + 1] = '\0';
    }
    return 1;
}

int IsRemovablePath(const char* path) {
    const char* at = nullptr;
    if (((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':')
        at = path + 2;
    else if (path[0] == '\\' && path[1] == '\\')
        at = path + 1;  // the server is the first name below
    if (at == nullptr || *at != '\\')
        return 0;
    char name[kEntryPathSize];
    int names = 0;
    while (*at == '\\') {
        ++at;
        std::size_t length = 0;
        while (at[length] != '\0' && !IsCharAt(at, static_cast<std::uint32_t>(length), '\\'))
            ++length;
        if (length >= sizeof name)
            return 0;
        std::memcpy(name, at, length);
        name[length] = '\0';
        if (!IsSafePathName(name))
            return 0;
        ++names;
        at += length;
    }
    // A share needs its server and share names before anything below it.
    return *at == '\0' && names >= (path[1] == ':' ? 1 : 3);
}

HKEY RegistryPathRoot(const char* path, const char** below) {
    if (std::strlen(path) < 4 || path[2] != '\\')
        return nullptr;
    *below = path + 3;
    return RegistryRootOf(FolderMacroId(path));
}
