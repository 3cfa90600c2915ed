// Install and uninstall mode: the wizard, then what the end of the run owes the shared
// uninstaller (the product count, the restart deletion at the next logon) and the restart the
// user chose.
#pragma once

#include <cstdint>

#include "driver/shared_uninstaller.h"
#include "setupinfo/setup_info.h"

// Runs the wizard over info (the package's setup information; empty when uninstalling) with
// the package at packageOffset of the program file. Shows message 2 when the wizard cannot
// start. Destroys the package trees once the wizard has ended.
void RunWizardMode(SSetupInfo* info, SSharedUninstallerKeys* keys, std::uint64_t packageOffset);
