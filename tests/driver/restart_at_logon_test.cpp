// Wine itself runs the restart deletion: the program schedules it through RunOnce, and
// `wineboot -r` (a restart, which runs the RunOnce entries) starts the shared uninstaller
// with /R. The restart after that runs the self-delete batch.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/registry.h"
#include "base/shared_names.h"
#include "driver/restart_mode.h"
#include "tests/support/temp_dir.h"

namespace {

std::string WindowsFolder() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return windows;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs `wineboot -r` to its end: 0 when it finished in time.
DWORD RestartWine() {
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    char command[] = "wineboot.exe -r";
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    const DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return waited;
}

TEST(RestartAtLogon, WinebootRunsTheDeletionAndThenTheSelfDelete) {
    const std::string windows = WindowsFolder();
    const std::string uninstaller = windows + "\\UninsDat200_Mivax.exe";
    const std::string list = windows + "\\UninsDat200_Mivax_Res.dat";
    const std::string batch = windows + "\\UninsDat200_Mivax.bat";
    ASSERT_TRUE(CopyFileA(SETUP_EXE_PATH, uninstaller.c_str(), FALSE));

    // The last product was uninstalled: the count is 0 and its files in use wait in the list.
    ClCompactRegistry counting;
    ASSERT_TRUE(counting.Create(HKEY_LOCAL_MACHINE, "Software\\Quorvane\\UninsDat\\2.0"));
    const DWORD none = 0;
    counting.SetValue(kProductCountValue, REG_DWORD, &none, sizeof none);
    counting.Close();
    TempDir dir;
    const std::string folder = dir.File("app");
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(folder + "\\app.exe", "MZ"));
    ASSERT_TRUE(WriteWholeFile(list, folder + "\\app.exe\r\n" + folder + "\r\n"));

    SSetupInfo info;
    ClCompactRegistry runOnce;
    ASSERT_TRUE(runOnce.Open(HKEY_LOCAL_MACHINE, kRunOnceKey));
    runOnce.DeleteValue(kSelfDeleteValue);
    ASSERT_TRUE(ScheduleRestartDeletion(&info, &runOnce));

    ASSERT_EQ(RestartWine(), 0u);
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(list));
    char value[600] = {};
    EXPECT_NE(runOnce.QueryValue(kRestartDeletionValue, value, sizeof value, nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(Exists(batch));
    EXPECT_FALSE(counting.Open(HKEY_LOCAL_MACHINE, "Software\\Quorvane\\UninsDat\\2.0"));

    // The following restart runs the batch: the uninstaller and the batch are gone.
    ASSERT_EQ(RestartWine(), 0u);
    EXPECT_FALSE(Exists(uninstaller));
    EXPECT_FALSE(Exists(batch));
    EXPECT_NE(runOnce.QueryValue(kSelfDeleteValue, value, sizeof value, nullptr), ERROR_SUCCESS);
}

}  // namespace
