// Name order (case-sensitive, for keeping lists sorted) and name matching (ASCII case
// ignored, for lookups).
#include <cstring>

#include "base/dbcs.h"
#include "base/platform.h"
#include "tree/tree.h"
#include "tree/tree_links.h"

namespace {

// 1 if the node's name is exactly the length bytes at name, ignoring ASCII case; double-byte
// pairs must agree exactly. Reads name only within its length.
int NameMatches(const ClTreeNode* node, const char* name, std::uint32_t length) {
    const char* own = OwnedName(node);
    if (own == nullptr)
        return length == 0;
    if (std::memchr(own, 0, std::size_t{length} + 1) != own + length)
        return 0;
    // A lead byte in the last position pairs with the terminator of its own name; it is
    // compared alone and exactly, so the given name is never read past its length.
    std::uint32_t paired = length;
    if (length > 0 && IsDBCSLeadByte(static_cast<BYTE>(own[length - 1])) &&
        !IsTrailByteAt(own, length - 1))
        paired = length - 1;
    if (!CompareNoCaseN(own, name, paired))
        return 0;
    return paired == length || own[paired] == name[paired];
}

}  // namespace

int ClTreeCompareNames(const ClTreeNode* a, const ClTreeNode* b) {
    const char* nameA = OwnedName(a);
    const char* nameB = OwnedName(b);
    if (nameA == nullptr || nameB == nullptr)
        return (nameA != nullptr) - (nameB != nullptr);
    // strcmp compares as unsigned bytes, up to and including the terminator.
    return std::strcmp(nameA, nameB);
}

ClTreeNode* ClTreeFindChild(ClTree* tree, ClTreeNode* key, const char* name,
                            std::uint32_t nameLength, std::uint8_t kind) {
    if (name == nullptr && nameLength > 0)
        return nullptr;
    bool wantKey = (kind & 1) != 0;
    ClTreeNode* first;
    if (key) {
        if (!IsKeyNode(key))
            return nullptr;
        first = wantKey ? key->linkA : key->linkB;
    } else {
        // The top level holds keys only.
        if (tree == nullptr || !wantKey)
            return nullptr;
        first = tree->root;
    }
    for (ClTreeNode* node = first; node; node = *NextLink(node)) {
        if (NameMatches(node, name, nameLength))
            return node;
    }
    return nullptr;
}
