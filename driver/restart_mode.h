// The restart-deletion run (/R): scheduled through RunOnce at the end of an install or
// uninstall run, it empties the pending-deletion list at the next logon and, once no product
// is left, schedules the removal of the shared uninstaller.
#pragma once

#include "base/registry.h"
#include "driver/shared_uninstaller.h"
#include "setupinfo/setup_info.h"

// Sets the RunOnce value that starts the shared uninstaller with /R at the next logon: the
// quoted uninstaller path, a blank and "/R", stored without its terminator. 1, or 0 when the
// path cannot be built or the value not written.
int ScheduleRestartDeletion(SSetupInfo* info, ClCompactRegistry* runOnce);

// Runs the restart deletion. When the list was processed: with a product count of 0 the
// self-delete batch is scheduled and the shared-uninstaller key removed; the RunOnce value
// that started this run goes. Nothing happens when RunOnce cannot be opened. Shows no
// message.
void RunRestartMode(SSetupInfo* info, SSharedUninstallerKeys* keys);
