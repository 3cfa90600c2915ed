// Messages that a wizard page posts to itself to steer the sheet once its current message is
// done.
#pragma once

#include <windows.h>

// Ends the wizard with 2 (after a page has told the user why).
constexpr UINT WM_WIZ_CANCEL = WM_USER + 100;
// Presses Next.
constexpr UINT WM_WIZ_NEXT = WM_USER + 102;
// Presses Finish and ends the wizard with 1.
constexpr UINT WM_WIZ_FINISH = WM_USER + 103;
