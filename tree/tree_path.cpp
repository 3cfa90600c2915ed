// Paths of nodes: separator-joined names from the top level down.
#include <cstring>

#include "base/mem.h"
#include "base/platform.h"
#include "tree/tree.h"
#include "tree/tree_links.h"

namespace {

std::size_t NameLength(const ClTreeNode* node) {
    const char* name = OwnedName(node);
    return name ? std::strlen(name) : 0;
}

// The end of the component that starts at text: the next separator or the terminator. With
// stepOverPairs, both bytes of a double-byte character are passed over, so a trail byte
// never starts a separator.
const char* ComponentEnd(const char* text, const char* separator, std::size_t separatorLength,
                         bool stepOverPairs) {
    while (*text && std::strncmp(text, separator, separatorLength) != 0) {
        if (stepOverPairs && IsDBCSLeadByte(static_cast<BYTE>(*text)) && text[1])
            text += 2;
        else
            ++text;
    }
    return text;
}

std::uint32_t Length32(const char* begin, const char* end) {
    return static_cast<std::uint32_t>(end - begin);
}

}  // namespace

std::uint32_t ClTreeGetPath(const ClTreeNode* node, char* buffer, const char* separator) {
    std::size_t separatorLength = separator ? std::strlen(separator) : 0;
    std::uint64_t size = 0;
    for (const ClTreeNode* at = node; at; at = at->parent)
        size += NameLength(at) + separatorLength;
    if (buffer == nullptr) {
        if (size == 0)
            return 1;
        return size > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(size);
    }
    // The path has one separator less than it has levels; fill it from its end.
    std::size_t end = node ? static_cast<std::size_t>(size) - separatorLength : 0;
    buffer[end] = '\0';
    for (const ClTreeNode* at = node; at; at = at->parent) {
        std::size_t length = NameLength(at);
        end -= length;
        if (length)
            std::memcpy(buffer + end, OwnedName(at), length);
        if (at->parent) {
            end -= separatorLength;
            std::memcpy(buffer + end, separator, separatorLength);
        }
    }
    return 0;
}

ClTreeNode* ClTreeFindPath(ClTree* tree, ClTreeNode* start, const char* path, const char* separator,
                           std::uint8_t kind) {
    if (path == nullptr || *path == '\0' || separator == nullptr || *separator == '\0')
        return nullptr;
    std::size_t separatorLength = std::strlen(separator);
    ClTreeNode* current = start;
    const char* component = path;
    for (;;) {
        const char* end = ComponentEnd(component, separator, separatorLength, true);
        if (*end == '\0')
            return ClTreeFindChild(tree, current, component, Length32(component, end), kind);
        current = ClTreeFindChild(tree, current, component, Length32(component, end), TN_KEY);
        if (current == nullptr)
            return nullptr;
        component = end + separatorLength;
        if (*component == '\0')
            return current;
    }
}

ClTreeNode* ClTreeCreatePath(ClTree* tree, ClTreeNode* start, const char* path,
                             const char* separator, const ClTreeNodeInfo* nodeTemplate) {
    if (tree == nullptr || path == nullptr || separator == nullptr || *separator == '\0')
        return nullptr;
    if (start && !IsKeyNode(start))
        return nullptr;
    std::size_t separatorLength = std::strlen(separator);
    ClTreeNode* current = start;
    const char* component = path;
    // Descend through the keys that exist. An empty path skips this and makes one key.
    if (*path) {
        for (;;) {
            const char* end = ComponentEnd(component, separator, separatorLength, false);
            ClTreeNode* found =
                ClTreeFindChild(tree, current, component, Length32(component, end), TN_KEY);
            if (found == nullptr)
                break;
            current = found;
            if (*end == '\0' || end[separatorLength] == '\0')
                return current;
            component = end + separatorLength;
        }
    }
    // Create the rest, each key from the template under the one before.
    ClMem name;
    if (!name.Alloc(MAX_PATH))
        return nullptr;
    ClTreeNodeInfo info{};
    if (nodeTemplate)
        info = *nodeTemplate;
    info.flags |= TN_KEY | TN_NAMED | TN_LINKED;
    for (;;) {
        const char* end = ComponentEnd(component, separator, separatorLength, false);
        std::size_t length = static_cast<std::size_t>(end - component);
        if (length >= INT32_MAX || !name.Reserve(static_cast<std::int32_t>(length + 1)))
            return nullptr;
        std::memcpy(name.block, component, length);
        name.block[length] = '\0';
        info.name = reinterpret_cast<const char*>(name.block);
        info.parent = current;
        current = ClTreeAddNode(tree, &info);
        if (current == nullptr)
            return nullptr;
        if (*end == '\0' || end[separatorLength] == '\0')
            return current;
        component = end + separatorLength;
    }
}
