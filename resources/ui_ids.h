// Ids of dialog templates, controls and bitmaps, shared by the resource scripts and the C++.
// Plain #defines: the resource compiler reads this file too.
#pragma once

// Six 16-pixel check images side by side (see ui/check_window.h).
#define IDB_CHECK_IMAGES 156

// The progress window of the restart-time deletion and its progress bar.
#define IDD_RESTART_DELETION 104
#define IDC_RESTART_PROGRESS 1001
