// Ids of the wizard pages' templates and controls, shared by resources/wizard.rc and the C++.
// Plain #defines: the resource compiler reads this file too. (The progress page is in
// install_ids.h, the folder browser in ui_ids.h.)
#pragma once

// Warning: the package's notice.
#define IDD_WARNING_PAGE 121
#define IDC_WARNING_LABEL 1000
#define IDC_WARNING_TEXT 1001

// Licence agreement.
#define IDD_LICENCE_PAGE 122
#define IDC_LICENCE_TEXT 1004
#define IDC_AGREE 1071
#define IDC_DISAGREE 1072

// Standard or custom installation.
#define IDD_MODE_PAGE 123
#define IDC_MODE_STANDARD 1004
#define IDC_MODE_CUSTOM 1005

// Components: the check tree takes the placeholder's place.
#define IDD_ITEMS_PAGE 125
#define IDC_ITEMS_DETAILS 1025
#define IDC_ITEMS_SELECT_ALL 1026
#define IDC_ITEMS_CLEAR_ALL 1027
#define IDC_ITEMS_TREE_PLACE 1056
#define IDC_ITEMS_DESCRIPTION 1086
#define IDC_ITEMS_TREE 100

// The text before the run.
#define IDD_START_PAGE 126
#define IDC_START_TEXT 1035

// Completion and the restart choice.
#define IDD_FINISH_PAGE 128
#define IDC_FINISH_TEXT 1088
#define IDC_RESTART_NOW 1041
#define IDC_RESTART_LATER 1042

// Install folder and program-menu group.
#define IDD_DEST_PAGE 143
#define IDC_DEST_FOLDER 1083
#define IDC_DEST_GROUP 1084
#define IDC_DEST_FOLDER_CHANGE 1085
#define IDC_DEST_GROUP_CHANGE 1015
