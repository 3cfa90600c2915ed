// Tree images: a ClTree written to, and read back from, the current position of an open file.
// An image may lie inside a larger file: both sides leave the position right behind its end
// byte. The layout is described next to the reader and writer in tree/tree_file.cpp.
#pragma once

#include <cstdint>

#include "base/platform.h"
#include "tree/tree.h"

// Options of ClTreeSave; the option byte is stored as the image flags.
constexpr std::uint8_t CLT_MAGIC = 0x01;  // "CLT1" in front (also a ClTreeLoad option)
constexpr std::uint8_t CLT_NAMES = 0x02;  // records carry names
constexpr std::uint8_t CLT_DATA = 0x04;   // records carry data blocks (never the spare tails)
// Options of ClTreeLoad besides CLT_MAGIC.
constexpr std::uint8_t CLT_LOAD_SPARE = 0x02;         // every data block gets `spare` more bytes
constexpr std::uint8_t CLT_LOAD_REPLACE_ROOT = 0x08;  // the first record replaces the root

// Writes the start node (or, with null, the whole tree from its root) and everything below
// it. The file must be seekable: the body length is filled in at the end. 1, or 0 on failure
// (the file is left as far as it was written).
int ClTreeSave(HANDLE file, ClTree* tree, ClTreeNode* start, std::uint8_t options);
// Reads one image into the tree below the parent key (null: as top-level keys). With
// CLT_LOAD_SPARE, every data block of n > 0 bytes gets spare zero bytes behind the n read, its
// length becomes n + spare and its spare tail another spare bytes. With CLT_LOAD_REPLACE_ROOT
// the old root is freed with everything under it (a parent key there included). 1, or 0 on a
// damaged image or without memory; nodes added before a failure stay in the tree.
int ClTreeLoad(HANDLE file, ClTree* tree, ClTreeNode* parent, std::uint8_t options,
               std::uint32_t spare);
