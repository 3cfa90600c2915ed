// Ids of the test-only strings around the growth steps of LoadResourceString, shared by
// tests/driver/test_strings.rc and the test.
#pragma once

#define IDS_TEST_253_CHARACTERS 60001
#define IDS_TEST_254_CHARACTERS 60002
#define IDS_TEST_600_CHARACTERS 60003
