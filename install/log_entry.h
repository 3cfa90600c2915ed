// Which entries of an install log may go: the rule of the uninstall run and of the pruning that
// keeps the uninstall data file free of what nothing needs any more.
#pragma once

#include <cstdint>

class ClTree;
struct ClTreeNode;

// An entry may be removed when no installation counts it, it is not marked never-remove (0x20),
// and it is not marked uninstall-only (0x40) unless the run uninstalls (run mode as in
// base/run_flags.h).
bool IsRemovable(std::uint8_t entryFlags, std::uint32_t count, std::uint8_t runMode);
// The same for a node: it must be named and carry data with a count.
bool IsRemovableEntry(ClTreeNode* node, std::uint8_t runMode);

// Deletes every removable value, then, depth first, every key that is left with neither
// sub-keys nor values and is either without data or removable. Unnamed keys (the tree's root)
// stay. 1 (nothing here can fail).
int LogPrune(ClTree* log, std::uint8_t runMode);
