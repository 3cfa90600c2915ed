// Starts the real setup.exe with /R and looks at what the start-up bookkeeping of the shared
// uninstaller leaves in the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/win_handles.h"
#include "tests/support/message_box_probe.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

constexpr const char* kSharedKey = "Software\\Quorvane\\UninsDat\\2.0";
constexpr const char* kLegacyKey = "Software\\Vantorel\\UninsDat\\2.0";

void SetCount(const std::string& key, DWORD value) {
    ClRegistryKey opened;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, opened.Out(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(opened.get(), "RefC", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                   sizeof value);
}

void StartQuietly() {
    ProgramRun run = RunAnsweringMessageBoxes("\"" SETUP_EXE_PATH "\" /R", 20000);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
}

// Products counted at the legacy place still need the uninstaller: their count is carried over
// once, even from a key that cannot go because a sub-key holds it.
TEST(Bookkeeping, LegacyCountsAreTakenOnceEvenFromAKeyThatStays) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vantorel");
    SetCount(kSharedKey, 4);
    SetCount(kLegacyKey, 3);
    SetCount(std::string(kLegacyKey) + "\\Sub", 9);
    StartQuietly();
    StartQuietly();
    EXPECT_EQ(ProductCount(), 7);
    ClRegistryKey legacy;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLegacyKey, 0, KEY_READ, legacy.Out()),
              ERROR_SUCCESS);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vantorel");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Quorvane");
}

}  // namespace
