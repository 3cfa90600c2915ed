#include "uninstall/entry_path.h"

#include <cstdio>
#include <cstring>

#include "base/dbcs.h"
#include "base/safe_name.h"
#include "setupinfo/folder_macros.h"
#include "tree/tree.h"

namespace {

// The names from the top down to node joined by "\\" into out (kEntryPathSize bytes).
bool JoinNames(const ClTreeNode* node, char* out) {
    std::uint32_t size = ClTreeGetPath(node, nullptr, "\\");
    if (size == 0 || size > static_cast<std::uint32_t>(kEntryPathSize))
        return false;
    ClTreeGetPath(node, out, "\\");
    return true;
}

// Puts back the trail byte 5C that a path ending in a lone lead byte lost, if it fits.
bool CompleteLastCharacter(char* path) {
    std::size_t length = std::strlen(path);
    if (length + 1 >= static_cast<std::size_t>(kEntryPathSize))
        return false;
    path[length] = '\\';
    path[length + 1] = '\0';
    return true;
}

bool EndsInSeparator(const char* path) {
    std::size_t length = std::strlen(path);
    return length == 0 || IsCharAt(path, static_cast<std::uint32_t>(length - 1), '\\');
}

}  // namespace

int EntryFolderPath(const ClTreeNode* value, char* out) {
    const ClTreeNode* folder = value->parent;
    return folder != nullptr && JoinNames(folder, out) &&
           (!EndsInLeadByte(out) || CompleteLastCharacter(out)) && !EndsInSeparator(out);
}

int EntryPath(const ClTreeNode* entry, char* out) {
    if (!(entry->flags & TN_KEY)) {
        char folder[kEntryPathSize];
        if (!EntryFolderPath(entry, folder))
            return 0;
        int length = std::snprintf(out, kEntryPathSize, "%s\\%s", folder, entry->name);
        return length > 0 && length < kEntryPathSize && !EndsInSeparator(out);
    }
    if (!JoinNames(entry, out))
        return 0;
    // A name cut at its trail byte is whole again only where no key below goes on with it.
    if (EndsInLeadByte(out) &&
        (ClTreeNavigate(const_cast<ClTreeNode*>(entry), TN_FIRST_KEY, nullptr) != nullptr ||
         !CompleteLastCharacter(out)))
        return 0;
    return !EndsInSeparator(out);
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
