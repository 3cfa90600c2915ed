// ClTree: the in-memory tree of named key and value nodes that holds every structured datum of
// the setup program (package directory, components, install log, uninstall data).
//
// A key node holds two lists of children, sub-keys and values, each doubly linked and kept in
// ascending name order (ClTreeCompareNames); equal names keep the order in which they were
// added. Lookups by name ignore ASCII letter case and compare double-byte pairs exactly.
// Every node may own a zero-terminated ANSI name and one opaque data block. The tree owns all
// nodes; node pointers stay valid until the node or the tree is deleted. Not thread-safe.
#pragma once

#include <cstdint>

// Node flags. Bit 0x80 stays clear: the tree image uses a byte with that bit as end marker.
constexpr std::uint8_t TN_KEY = 0x01;     // key node: can hold sub-keys and values
constexpr std::uint8_t TN_NAMED = 0x02;   // the node owns a name
constexpr std::uint8_t TN_DATA = 0x04;    // the node owns a data block
constexpr std::uint8_t TN_LINKED = 0x08;  // linked under a parent; in a description: use parent
constexpr std::uint8_t TN_SPARE = 0x10;   // the data block has a spare tail behind its length

// Navigation modes of ClTreeNavigate.
constexpr std::uint8_t TN_TOP = 0;
constexpr std::uint8_t TN_FIRST_KEY = 1;
constexpr std::uint8_t TN_FIRST_VALUE = 2;
constexpr std::uint8_t TN_PARENT = 3;
constexpr std::uint8_t TN_NEXT = 4;
constexpr std::uint8_t TN_PREV = 5;
constexpr std::uint8_t TN_WALK = 6;

// No node lies deeper than this below a top-level key: the depth is one byte in tree images.
constexpr int kTreeMaxDepth = 254;

struct ClTreeNode;

// The public head of a node, and the description from which ClTreeAddNode makes one.
struct ClTreeNodeInfo {
    std::uint8_t flags;
    ClTreeNode* parent;    // the key above; null for a top-level key
    const char* name;      // owned copy; null unless TN_NAMED
    std::uint8_t* data;    // owned block of length + spare bytes; null unless TN_DATA
    std::uint32_t length;  // data bytes; fixed once the node is made
    std::uint32_t spare;   // bytes of the spare tail behind length; 0 unless TN_SPARE
};

// A value node is allocated as exactly this; a key node as ClTreeKeyNode.
struct ClTreeNode : ClTreeNodeInfo {
    ClTreeNode* linkA;  // value: next value of the parent; key: first sub-key
    ClTreeNode* linkB;  // value: previous value of the parent; key: first value
};

struct ClTreeKeyNode : ClTreeNode {
    ClTreeNode* prevKey;  // previous sibling key (or top-level key)
    ClTreeNode* nextKey;  // next sibling key (or top-level key)
};

using ClTreeCompareFunction = int (*)(const ClTreeNode* a, const ClTreeNode* b);

class ClTree {
  public:
    ClTreeNode* root;               // first top-level key
    ClTreeCompareFunction compare;  // name order of every list (ClTreeCompareNames)
};

// A new tree whose root is an unnamed key without data (TN_KEY | TN_LINKED); null without
// memory. Free with ClTreeDestroy.
ClTree* ClTreeCreate();
// Frees every node and the tree; 1 (also for null).
int ClTreeDestroy(ClTree* tree);
// Frees everything below the root and every further top-level key; the root with its name and
// data stays. 1 (also for null).
int ClTreeClear(ClTree* tree);
// The first top-level node, or null.
ClTreeNode* ClTreeRoot(const ClTree* tree);
// Makes a node from the description (copies of name and data), links it into name order under
// info->parent when TN_LINKED is given, else at the top level (keys only). Null when a value
// has no parent, the parent is not a key, the node would lie deeper than kTreeMaxDepth, or
// memory runs out. A spare tail is zero-filled. Data blocks are placed so that their last four
// data bytes are 4-byte aligned (see ClTreeNodeCounter).
ClTreeNode* ClTreeAddNode(ClTree* tree, const ClTreeNodeInfo* info);
// Unlinks the node and frees it with everything below it; 1 (also for a null node), 0 for a
// null tree.
int ClTreeDeleteNode(ClTree* tree, ClTreeNode* node);
// Makes a new root from a key description and frees the old root with everything under it,
// and any further top-level keys; the new root is then the only top-level key. It, or null.
ClTreeNode* ClTreeReplaceRoot(ClTree* tree, const ClTreeNodeInfo* info);
// Replaces the destination's content with a deep copy of the source, spare tails included.
// 1, or 0 on failure (what was copied so far stays).
int ClTreeCopy(ClTree* destination, const ClTree* source);
// The node reached by a TN_* mode (low 4 bits count), or null. TN_WALK adjusts *depth (+1 per
// level down, -1 per level up) when depth is not null.
ClTreeNode* ClTreeNavigate(ClTreeNode* node, std::uint8_t mode, std::int32_t* depth);
// The node's public head, or null.
ClTreeNodeInfo* ClTreeNodeGetInfo(ClTreeNode* node);
// The names from the topmost ancestor down to the node, joined by the separator (an unnamed
// node gives an empty component). With a null buffer: the buffer size the path needs, at
// least 1. With a buffer of that size: writes the path with its terminator and returns 0.
std::uint32_t ClTreeGetPath(const ClTreeNode* node, char* buffer, const char* separator);
// The first child of the key (or top-level key with a null key) of the wanted kind (bit 0:
// 1 key, 0 value) whose name equals the nameLength bytes at name, ignoring ASCII case; null if
// none. Never reads name beyond nameLength bytes.
ClTreeNode* ClTreeFindChild(ClTree* tree, ClTreeNode* key, const char* name,
                            std::uint32_t nameLength, std::uint8_t kind);
// The node named by a separator-joined path below start (or from the top level), the last
// component of the wanted kind; a path ending in the separator names a key. Double-byte
// characters are stepped over, so a trail byte never separates. Null if not found.
ClTreeNode* ClTreeFindPath(ClTree* tree, ClTreeNode* start, const char* path, const char* separator,
                           std::uint8_t kind);
// The last key of the path below start (or the top level), creating missing keys from the
// template (flags | TN_KEY | TN_NAMED | TN_LINKED, its data block). Every byte equal to the
// separator's first byte can start a separator, trail bytes included. An empty path creates
// one key with an empty name. Null on failure; keys created before it stay.
ClTreeNode* ClTreeCreatePath(ClTree* tree, ClTreeNode* start, const char* path,
                             const char* separator, const ClTreeNodeInfo* nodeTemplate);
// Name order: unsigned bytes, case-sensitive; an unnamed node sorts before every named one.
int ClTreeCompareNames(const ClTreeNode* a, const ClTreeNode* b);
// The unsigned 32-bit counter in the last four bytes of the data block, or null when there is
// no data or fewer than four bytes. Aligned for every node made by the tree.
std::uint32_t* ClTreeNodeCounter(const ClTreeNodeInfo* info);
