// Ids of the test dialog templates (shared by ui_test.rc and the tests).
#pragma once

#define IDD_TEST_DIALOG 500
#define IDD_EARLY_COMMAND 501
#define IDD_MISSING 599
#define IDC_EARLY_COMMAND 2
