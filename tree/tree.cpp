#include "tree/tree.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "tree/tree_links.h"

namespace {

// Data blocks end on a 4-byte boundary, so that the counter in their last four data bytes
// (ClTreeNodeCounter) can be used through an aligned uint32_t pointer. The padding in front
// follows from the length alone, which never changes once a node is made.
std::uint32_t DataPadding(std::uint32_t length) {
    return (0u - length) & 3u;
}

std::uint8_t* NewDataBlock(std::uint32_t length, std::uint32_t spare) {
    std::uint64_t size = std::uint64_t{DataPadding(length)} + length + spare;
    if (size > PTRDIFF_MAX)
        return nullptr;
    auto* block = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)];
    return block ? block + DataPadding(length) : nullptr;
}

void DeleteDataBlock(std::uint8_t* data, std::uint32_t length) {
    if (data)
        delete[](data - DataPadding(length));
}

// Frees one node with its own name and data, nothing below it.
void FreeNode(ClTreeNode* node) {
    if (node->flags & TN_NAMED)
        delete[] node->name;
    if (node->flags & TN_DATA)
        DeleteDataBlock(node->data, node->length);
    if (IsKeyNode(node))
        delete AsKeyNode(node);
    else
        delete node;
}

void FreeSubtree(ClTreeNode* node);

// Frees a list from its first node on, with everything below its nodes.
void FreeList(ClTreeNode* first) {
    while (first) {
        ClTreeNode* next = *NextLink(first);
        FreeSubtree(first);
        first = next;
    }
}

void FreeSubtree(ClTreeNode* node) {
    if (IsKeyNode(node)) {
        FreeList(node->linkA);
        FreeList(node->linkB);
    }
    FreeNode(node);
}

// Number of levels from a top-level key down to node, node included.
int CountLevels(const ClTreeNode* node) {
    int levels = 0;
    for (; node; node = node->parent)
        ++levels;
    return levels;
}

// Inserts in front of the first sibling that sorts after the node, so equal names keep the
// order in which they were added. Every sibling up to a hint that sorts at or before the node
// sorts before it too, so the walk may start behind the hint.
void LinkInOrder(ClTree* tree, ClTreeNode* parent, ClTreeNode* node, ClTreeNode* hint) {
    ClTreeNode** head = ListHead(tree, parent, IsKeyNode(node));
    ClTreeNode* before = nullptr;
    ClTreeNode* after = *head;
    if (hint && hint->parent == parent && IsKeyNode(hint) == IsKeyNode(node) &&
        tree->compare(node, hint) >= 0) {
        before = hint;
        after = *NextLink(hint);
    }
    while (after && tree->compare(node, after) >= 0) {
        before = after;
        after = *NextLink(after);
    }
    *PrevLink(node) = before;
    *NextLink(node) = after;
    if (after)
        *PrevLink(after) = node;
    if (before)
        *NextLink(before) = node;
    else
        *head = node;
    node->parent = parent;
}

void Unlink(ClTree* tree, ClTreeNode* node) {
    ClTreeNode* before = *PrevLink(node);
    ClTreeNode* after = *NextLink(node);
    if (after)
        *PrevLink(after) = before;
    if (before)
        *NextLink(before) = after;
    else
        *ListHead(tree, node->parent, IsKeyNode(node)) = after;
    *PrevLink(node) = nullptr;
    *NextLink(node) = nullptr;
}

// Makes the unlinked node with owned copies of the description's name and data.
ClTreeNode* MakeNode(const ClTreeNodeInfo* info) {
    ClTreeNode* node = (info->flags & TN_KEY) ? new (std::nothrow) ClTreeKeyNode()
                                              : new (std::nothrow) ClTreeNode();
    if (node == nullptr)
        return nullptr;
    node->flags = info->flags & TN_KEY;
    if (info->flags & TN_NAMED) {
        if (info->name == nullptr) {
            FreeNode(node);
            return nullptr;
        }
        std::size_t size = std::strlen(info->name) + 1;
        char* name = new (std::nothrow) char[size];
        if (name == nullptr) {
            FreeNode(node);
            return nullptr;
        }
        std::memcpy(name, info->name, size);
        node->name = name;
        node->flags |= TN_NAMED;
    }
    if (info->flags & TN_DATA) {
        std::uint32_t spare = (info->flags & TN_SPARE) ? info->spare : 0;
        std::uint8_t* data =
            (info->data || info->length == 0) ? NewDataBlock(info->length, spare) : nullptr;
        if (data == nullptr) {
            FreeNode(node);
            return nullptr;
        }
        if (info->length)
            std::memcpy(data, info->data, info->length);
        std::memset(data + info->length, 0, spare);
        node->data = data;
        node->length = info->length;
        node->spare = spare;
        node->flags |= TN_DATA | (info->flags & TN_SPARE);
    }
    return node;
}

// A copy takes the source's spare tail too, which ClTreeAddNode does not fill.
void CopySpareTail(ClTreeNode* copy, const ClTreeNode* source) {
    if ((copy->flags & TN_SPARE) && copy->spare)
        std::memcpy(copy->data + copy->length, source->data + source->length, copy->spare);
}

// Copies come in the source's sorted order: the previous copy is where the next one's place
// is found.
ClTreeNode* CopyNode(ClTree* tree, const ClTreeNode* source, ClTreeNode* parent, std::uint8_t flags,
                     ClTreeNode* previous) {
    ClTreeNodeInfo info = *source;
    info.flags = flags;
    info.parent = parent;
    ClTreeNode* copy = ClTreeAddNodeFrom(tree, &info, previous);
    if (copy)
        CopySpareTail(copy, source);
    return copy;
}

// Copies the sub-keys of source (each followed by its own subtree) and then its values.
int CopyBelow(ClTree* tree, const ClTreeNode* source, ClTreeNode* target) {
    ClTreeNode* previous = nullptr;
    for (ClTreeNode* key = source->linkA; key; key = AsKeyNode(key)->nextKey) {
        previous = CopyNode(tree, key, target, key->flags | TN_KEY | TN_LINKED, previous);
        if (previous == nullptr || !CopyBelow(tree, key, previous))
            return 0;
    }
    previous = nullptr;
    for (ClTreeNode* value = source->linkB; value; value = value->linkA) {
        std::uint8_t flags = static_cast<std::uint8_t>((value->flags & ~TN_KEY) | TN_LINKED);
        previous = CopyNode(tree, value, target, flags, previous);
        if (previous == nullptr)
            return 0;
    }
    return 1;
}

}  // namespace

ClTree* ClTreeCreate() {
    ClTree* tree = new (std::nothrow) ClTree();
    if (tree == nullptr)
        return nullptr;
    tree->compare = ClTreeCompareNames;
    ClTreeNodeInfo root{};
    root.flags = TN_KEY;
    if (ClTreeAddNode(tree, &root) == nullptr) {
        delete tree;
        return nullptr;
    }
    tree->root->flags |= TN_LINKED;
    return tree;
}

int ClTreeDestroy(ClTree* tree) {
    if (tree) {
        FreeList(tree->root);
        delete tree;
    }
    return 1;
}

int ClTreeClear(ClTree* tree) {
    if (tree == nullptr || tree->root == nullptr)
        return 1;
    ClTreeNode* root = tree->root;
    FreeList(root->linkA);
    FreeList(root->linkB);
    FreeList(AsKeyNode(root)->nextKey);
    root->linkA = root->linkB = nullptr;
    AsKeyNode(root)->nextKey = nullptr;
    return 1;
}

ClTreeNode* ClTreeRoot(const ClTree* tree) {
    return tree ? tree->root : nullptr;
}

ClTreeNode* ClTreeAddNode(ClTree* tree, const ClTreeNodeInfo* info) {
    return ClTreeAddNodeFrom(tree, info, nullptr);
}

ClTreeNode* ClTreeAddNodeFrom(ClTree* tree, const ClTreeNodeInfo* info, ClTreeNode* hint) {
    if (tree == nullptr || info == nullptr)
        return nullptr;
    ClTreeNode* parent = (info->flags & TN_LINKED) ? info->parent : nullptr;
    if (parent == nullptr ? !(info->flags & TN_KEY) : !IsKeyNode(parent))
        return nullptr;
    if (CountLevels(parent) > kTreeMaxDepth)
        return nullptr;
    ClTreeNode* node = MakeNode(info);
    if (node == nullptr)
        return nullptr;
    LinkInOrder(tree, parent, node, hint);
    if (parent)
        node->flags |= TN_LINKED;
    return node;
}

int ClTreeDeleteNode(ClTree* tree, ClTreeNode* node) {
    if (node == nullptr)
        return 1;
    if (tree == nullptr)
        return 0;
    Unlink(tree, node);
    FreeSubtree(node);
    return 1;
}

ClTreeNode* ClTreeReplaceRoot(ClTree* tree, const ClTreeNodeInfo* info) {
    if (tree == nullptr || info == nullptr || !(info->flags & TN_KEY))
        return nullptr;
    // Made as a sub-key of the old root, so that it is built exactly like any other key.
    ClTreeNodeInfo under = *info;
    under.flags |= TN_LINKED;
    under.parent = tree->root;
    ClTreeNode* oldRoot = tree->root;
    ClTreeNode* node = ClTreeAddNode(tree, &under);
    if (node == nullptr)
        return nullptr;
    if (oldRoot) {
        // The new root stands alone at the top level. Further top-level keys are freed with
        // the old root rather than dropped from the list with their memory.
        Unlink(tree, node);
        FreeList(tree->root);
        node->parent = nullptr;
        tree->root = node;
    }
    node->flags |= TN_LINKED;
    return node;
}

int ClTreeCopy(ClTree* destination, const ClTree* source) {
    if (destination == nullptr || source == nullptr)
        return 0;
    if (destination == source || source->root == nullptr)
        return 1;
    const ClTreeNode* sourceRoot = source->root;
    ClTreeNode* root = ClTreeReplaceRoot(destination, sourceRoot);
    if (root == nullptr)
        return 0;
    CopySpareTail(root, sourceRoot);
    if (!CopyBelow(destination, sourceRoot, root))
        return 0;
    ClTreeNode* previous = root;
    for (const ClTreeNode* top = AsKeyNode(sourceRoot)->nextKey; top;
         top = AsKeyNode(top)->nextKey) {
        std::uint8_t flags = static_cast<std::uint8_t>((top->flags | TN_KEY) & ~TN_LINKED);
        previous = CopyNode(destination, top, nullptr, flags, previous);
        if (previous == nullptr || !CopyBelow(destination, top, previous))
            return 0;
    }
    return 1;
}

ClTreeNodeInfo* ClTreeNodeGetInfo(ClTreeNode* node) {
    return node;
}

std::uint32_t* ClTreeNodeCounter(const ClTreeNodeInfo* info) {
    if (info == nullptr || !(info->flags & TN_DATA) || info->data == nullptr || info->length < 4)
        return nullptr;
    return reinterpret_cast<std::uint32_t*>(info->data + info->length - 4);
}
