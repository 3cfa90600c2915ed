// The pending-deletion list: paths that the next restart deletes. Uninstalling enters what it
// cannot delete now; a path installed again must leave it, or the restart would delete the new
// file.
#pragma once

#include <cstdint>

#include "base/platform.h"

// Removes every line equal to path (ASCII case ignored) from the list open as file, using the
// caller's work buffer (bufferSize + 1 bytes). Without a list (INVALID_HANDLE_VALUE) nothing
// happens. A line that cannot be removed stays: the list is a best effort for the next restart.
void RemovePendingDeletion(HANDLE list, char* buffer, std::uint32_t bufferSize, const char* path);
// Enters path as a line of the list unless a line equal to it (ASCII case ignored) is there.
// 1 when the path is listed; 0 when it cannot be (no list, a path of 260 bytes or more, a
// failed write).
int AddPendingDeletion(HANDLE list, char* buffer, std::uint32_t bufferSize, const char* path);
