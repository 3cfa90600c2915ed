// How nodes are chained inside the tree code: one view of the three kinds of lists.
//
// A list is either the top-level list (head: ClTree::root), a key's sub-key list (head: the
// key's linkA) or a key's value list (head: the key's linkB). Keys chain through prevKey and
// nextKey; values through linkB (previous) and linkA (next).
#pragma once

#include "tree/tree.h"

inline bool IsKeyNode(const ClTreeNode* node) {
    return (node->flags & TN_KEY) != 0;
}

inline ClTreeKeyNode* AsKeyNode(ClTreeNode* node) {
    return static_cast<ClTreeKeyNode*>(node);
}

inline const ClTreeKeyNode* AsKeyNode(const ClTreeNode* node) {
    return static_cast<const ClTreeKeyNode*>(node);
}

inline ClTreeNode** NextLink(ClTreeNode* node) {
    return IsKeyNode(node) ? &AsKeyNode(node)->nextKey : &node->linkA;
}

inline ClTreeNode** PrevLink(ClTreeNode* node) {
    return IsKeyNode(node) ? &AsKeyNode(node)->prevKey : &node->linkB;
}

// The head of the list in which a node of the given kind lies under parent (null: top level).
inline ClTreeNode** ListHead(ClTree* tree, ClTreeNode* parent, bool key) {
    if (parent == nullptr)
        return &tree->root;
    return key ? &parent->linkA : &parent->linkB;
}

// The name of a node that owns one, else null.
inline const char* OwnedName(const ClTreeNode* node) {
    return (node->flags & TN_NAMED) ? node->name : nullptr;
}

// ClTreeAddNode with a place to start from. Where hint lies in the list the new node joins and
// sorts at or before it, the walk for the node's place starts at hint rather than at the list's
// head: the place is the same, but readers of sorted input (images, copies), which pass the
// node they added last, add each node without walking its siblings again.
ClTreeNode* ClTreeAddNodeFrom(ClTree* tree, const ClTreeNodeInfo* info, ClTreeNode* hint);
