#include "install/destination.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/safe_name.h"
#include "tree/tree.h"

namespace {

bool IsSafeNode(const ClTreeNode* node) {
    return (node->flags & TN_NAMED) && IsSafePathName(node->name);
}

}  // namespace

int ItemMacro(ClTreeNode* node) {
    ClTreeNode* top = ClTreeNavigate(node, TN_TOP, nullptr);
    if (top == nullptr || !(top->flags & TN_NAMED) || std::strlen(top->name) != 2)
        return -1;
    std::uint16_t id = FolderMacroId(top->name);
    return std::strcmp(FolderMacroCode(id), top->name) == 0 ? id : -1;
}

int ResolveItemFolder(SSetupInfo* info, const FolderTable& folders, ClTreeNode* key, char* out) {
    int macro = ItemMacro(key);
    if (macro < 0 || folders[macro][0] == '\0')
        return 0;
    // The names below the macro key, gathered from the key upwards.
    const ClTreeNode* chain[kTreeMaxDepth + 1];
    int depth = 0;
    for (const ClTreeNode* at = key; at->parent != nullptr; at = at->parent) {
        if (!IsSafeNode(at))
            return 0;
        chain[depth++] = at;
    }
    char relative[kFolderPathSize];
    std::size_t used = 0;
    for (int i = depth - 1; i >= 0; --i) {
        std::size_t length = std::strlen(chain[i]->name);
        if (used + 1 + length >= sizeof relative)
            return 0;
        relative[used++] = '\\';
        std::memcpy(relative + used, chain[i]->name, length);
        used += length;
    }
    relative[used] = '\0';
    return ExpandFolderMacros(info, FolderMacro::OT, relative, folders[macro], out) != nullptr;
}

int JoinItemName(SSetupInfo* info, const char* folder, const char* name, char* out) {
    return IsSafePathName(name) &&
           ExpandFolderMacros(info, FolderMacro::OT, name, folder, out) != nullptr;
}

int JoinItemPath(SSetupInfo* info, const char* folder, const char* relative, char* out) {
    // Each part on its own: up to a "\" that is not the trail byte of a double-byte character.
    char part[kFolderPathSize];
    std::size_t length = 0;
    for (const char* at = relative;; ++at) {
        if (*at == '\0' || *at == '\\') {
            part[length] = '\0';
            if (!IsSafePathName(part))
                return 0;
            if (*at == '\0')
                break;
            length = 0;
            continue;
        }
        if (length + 2 >= sizeof part)
            return 0;
        if (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != '\0')
            part[length++] = *at++;
        part[length++] = *at;
    }
    return ExpandFolderMacros(info, FolderMacro::OT, relative, folder, out) != nullptr;
}
