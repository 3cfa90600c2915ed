#include "install/destination.h"

#include <cstring>

#include "base/dbcs.h"
#include "tree/tree.h"

namespace {

// Names that Windows takes for devices whatever extension follows them.
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
constexpr const char* kNumberedDevices[] = {"COM", "LPT"};

bool IsDeviceName(const char* name) {
    std::size_t stem = std::strcspn(name, ".");
    for (const char* device : kDeviceNames) {
        if (stem == std::strlen(device) && CompareNoCaseN(name, device, stem))
            return true;
    }
    for (const char* device : kNumberedDevices) {
        if (stem == 4 && CompareNoCaseN(name, device, 3) && name[3] >= '1' && name[3] <= '9')
            return true;
    }
    return false;
}

// One name of a path: not empty, not "." or "..", no separator, drive or stream colon (a
// trail byte 0x5C is part of its character), no trailing dot or space, no device.
bool IsSafeName(const char* name, std::size_t length) {
    if (length == 0 || length >= kFolderPathSize)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c) && i + 1 < length) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':' || c < 0x20)
            return false;
    }
    char copy[kFolderPathSize];
    std::memcpy(copy, name, length);
    copy[length] = '\0';
    bool dotOrSpaceAtEnd = !IsTrailByteAt(copy, static_cast<std::uint32_t>(length - 1)) &&
                           (copy[length - 1] == '.' || copy[length - 1] == ' ');
    return !dotOrSpaceAtEnd && !IsDeviceName(copy);
}

bool IsSafeNode(const ClTreeNode* node) {
    return (node->flags & TN_NAMED) && IsSafeName(node->name, std::strlen(node->name));
}

}  // namespace

int IsSafeItemName(const char* name) {
    return IsSafeName(name, std::strlen(name)) ? 1 : 0;
}

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
    return ExpandFolderMacros(info, OT, relative, folders[macro], out) != nullptr;
}

int JoinItemName(SSetupInfo* info, const char* folder, const char* name, char* out) {
    return IsSafeName(name, std::strlen(name)) &&
           ExpandFolderMacros(info, OT, name, folder, out) != nullptr;
}

int JoinItemPath(SSetupInfo* info, const char* folder, const char* relative, char* out) {
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (relative[i] == '\0' || IsCharAt(relative, static_cast<std::uint32_t>(i), '\\')) {
            if (!IsSafeName(relative + start, i - start))
                return 0;
            if (relative[i] == '\0')
                break;
            start = i + 1;
        }
    }
    return ExpandFolderMacros(info, OT, relative, folder, out) != nullptr;
}
