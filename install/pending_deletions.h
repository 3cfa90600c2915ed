// The pending-deletion list: paths that the next restart deletes. A path installed again must
// leave it, or the restart would delete the new file.
#pragma once

#include <cstdint>

#include "base/platform.h"

// Removes every line equal to path (ASCII case ignored) from the list open as file, using the
// caller's work buffer (bufferSize + 1 bytes). Without a list (INVALID_HANDLE_VALUE) nothing
// happens. A line that cannot be removed stays: the list is a best effort for the next restart.
void RemovePendingDeletion(HANDLE list, char* buffer, std::uint32_t bufferSize, const char* path);
