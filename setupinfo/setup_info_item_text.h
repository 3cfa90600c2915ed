// Showing the texts of an SSetupInfo in dialog controls (Windows only).
#pragma once

#include "base/platform.h"
#include "setupinfo/setup_info.h"

// Sets the window text of control controlId of dialog to text number of the record (empty for a
// null text). 1, or 0 when the control does not exist or the number is outside 0-21.
int SetupInfoSetItemText(const SSetupInfo* info, HWND dialog, int controlId, int number);
