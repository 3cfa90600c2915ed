#include "tree/tree.h"

#include "tree/tree_links.h"

namespace {

// Walk order: a key, its sub-keys with their subtrees, its values, then its next sibling key.
ClTreeNode* WalkNext(ClTreeNode* node, std::int32_t* depth) {
    if (IsKeyNode(node)) {
        if (node->linkA) {
            ++*depth;
            return node->linkA;
        }
        if (node->linkB) {
            ++*depth;
            return node->linkB;
        }
        if (AsKeyNode(node)->nextKey)
            return AsKeyNode(node)->nextKey;
    } else if (node->linkA) {
        return node->linkA;
    }
    // Climb. The parent's values come after its sub-keys, so a key that climbs visits them
    // next; a value that climbs has already been through them.
    bool cameFromKey = IsKeyNode(node);
    for (ClTreeNode* at = node;; cameFromKey = true) {
        ClTreeNode* parent = at->parent;
        if (parent == nullptr || !IsKeyNode(parent))
            return nullptr;
        --*depth;
        if (cameFromKey && parent->linkB) {
            ++*depth;
            return parent->linkB;
        }
        if (AsKeyNode(parent)->nextKey)
            return AsKeyNode(parent)->nextKey;
        at = parent;
    }
}

}  // namespace

ClTreeNode* ClTreeNavigate(ClTreeNode* node, std::uint8_t mode, std::int32_t* depth) {
    if (node == nullptr)
        return nullptr;
    switch (mode & 0x0F) {
        case TN_TOP:
            while (node->parent)
                node = node->parent;
            return node;
        case TN_FIRST_KEY:
            return IsKeyNode(node) ? node->linkA : nullptr;
        case TN_FIRST_VALUE:
            return IsKeyNode(node) ? node->linkB : nullptr;
        case TN_PARENT:
            return node->parent;
        case TN_NEXT:
            return *NextLink(node);
        case TN_PREV:
            return *PrevLink(node);
        case TN_WALK: {
            std::int32_t ignored = 0;
            return WalkNext(node, depth ? depth : &ignored);
        }
        default:
            return nullptr;
    }
}
