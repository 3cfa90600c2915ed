// Ids of the progress page's template, its controls and its icons, shared by the resource
// scripts and the C++. Plain #defines: the resource compiler reads this file too.
#pragma once

// The progress page of the install and uninstall runs.
#define IDD_PROGRESS_PAGE 129
#define IDC_PROGRESS_TOP 1010     // progress bar A
#define IDC_PROGRESS_MIDDLE 1006  // progress bar B: the one the runs move
#define IDC_PROGRESS_BOTTOM 1007  // progress bar C, hidden by the template
#define IDC_PHASE_TEXT 1008       // one line: what the run is doing
#define IDC_DETAIL_TEXT 1009      // several lines: the entry being processed
#define IDC_ICON_TOP 1120
#define IDC_ICON_MIDDLE 1118
#define IDC_ICON_BOTTOM 1119

// The icons beside the three bars.
#define IDI_PROGRESS_PACKAGE 169
#define IDI_PROGRESS_FILES 131
#define IDI_PROGRESS_DISK 132
