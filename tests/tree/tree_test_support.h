// Building, dumping and file round trips of trees for the tree tests.
#pragma once

#include <cstdint>
#include <string>

#include "tree/tree.h"
#include "tree/tree_owner.h"

inline ClTreeOwner NewTree() {
    return ClTreeOwner(ClTreeCreate());
}

// Adds a named key or value under parent (null: top level) with optional data and spare tail.
ClTreeNode* AddNamed(ClTree* tree, ClTreeNode* parent, bool key, const std::string& name,
                     const std::string& data = std::string(), bool withData = false,
                     std::uint32_t spare = 0);

// One line per node in walk order from the root: depth, flags, name and data in hex, and the
// spare tail when flagged. Two trees with equal dumps are equal node by node.
std::string DumpTree(ClTree* tree, std::uint8_t ignoredFlags = 0);

// The data block of a node as a string (length bytes).
std::string NodeData(const ClTreeNode* node);

// Random trees with everything the image must carry: Shift-JIS names (表 has the trail byte
// 5C), empty, duplicate and long names, keys and values of one name, data of every small
// length, spare tails, further top-level keys and a chain down to the deepest level.
// With spare tails, the root has data and a spare tail too.
ClTreeOwner RandomTree(unsigned seed, int nodes, bool withSpare);
