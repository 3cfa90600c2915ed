// The batch file that removes the shared uninstaller once no product relies on it.
#pragma once

#include "base/registry.h"
#include "setupinfo/setup_info.h"

// Writes "<Windows folder>\UninsDat200_Mivax.bat", which deletes the shared uninstaller, its
// ".pif" and then itself, and schedules it under the RunOnce key runOnce (value
// "UninsDat200_Mivax", the quoted batch path). What cannot be done is skipped; always 1.
int WriteSelfDeleteBatch(SSetupInfo* info, ClCompactRegistry* runOnce);
