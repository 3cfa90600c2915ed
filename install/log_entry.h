// Which entries of an install log may go: the rule of the uninstall run and of the pruning that
// keeps the uninstall data file free of what nothing needs any more. One rule for both, so that
// the data file keeps exactly what the run that follows an install leaves in place.
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

// Whether the uninstall run of runMode removes the entry. A key (folder, registry key): when it
// is removable (and, for the run, empty). A value (file, registry value): uninstalling, when it
// is removable; in install mode the run removes no values that an installation recorded (the
// clean-up after a re-install keeps the files of dropped components, and so must the data
// file), only what a failed run marked as its own (install/install_log.h). What a failed run made
// is taken back even when only uninstalling would remove it: no installation knows it any more.
// Never-remove entries stay in every case.
bool RunRemovesEntry(ClTreeNode* node, std::uint8_t runMode);

// Deletes every value that RunRemovesEntry names, then, depth first, every key that is left with
// neither sub-keys nor values and is either without data or named by RunRemovesEntry. Unnamed
// keys (the tree's root) stay. 1 (nothing here can fail).
int LogPrune(ClTree* log, std::uint8_t runMode);
