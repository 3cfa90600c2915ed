// Ids of dialog templates, controls and bitmaps, shared by the resource scripts and the C++.
// Plain #defines: the resource compiler reads this file too.
#pragma once

// Six 16-pixel check images side by side (see ui/check_window.h).
#define IDB_CHECK_IMAGES 156

// The progress window of the restart-time deletion and its progress bar.
#define IDD_RESTART_DELETION 104
#define IDC_RESTART_PROGRESS 1001

// The folder browser: a tree of folders, its create-folder button and the dialog that asks for
// the new folder's name. The dialogs get these ids from their callers.
#define IDD_FOLDER_BROWSER 134
#define IDC_FOLDER_TREE 1012
#define IDC_MAKE_FOLDER 3
#define IDD_MAKE_FOLDER 141
#define IDC_FOLDER_NAME 1013
