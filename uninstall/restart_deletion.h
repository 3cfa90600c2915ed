// The restart-time deletion: what the pending-deletion list in the Windows folder names is
// deleted at the next logon, files first, then folders, while a small window shows progress.
#pragma once

#include "setupinfo/setup_info.h"

// Deletes every existing file and then every folder that the list names (folders that hold
// anything else stay), then deletes the list. info only serves to find the Windows folder.
// 1 when the list was processed and deleted; 0 when it could not be read (it stays for a
// later run) or the window or memory could not be had. Shows no message.
int RunRestartDeletion(SSetupInfo* info);
