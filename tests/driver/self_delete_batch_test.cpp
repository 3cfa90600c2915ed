#include "driver/self_delete_batch.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/shared_uninstaller.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SelfDeleteBatch, DeletesUninstallerPifAndItselfAndIsScheduled) {
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string folder = windows;
    std::string batch = folder + "\\UninsDat200_Mivax.bat";

    SSetupInfo info;
    ClCompactRegistry runOnce;
    ASSERT_EQ(runOnce.Create(HKEY_LOCAL_MACHINE, kRunOnceKey), 1);
    ASSERT_EQ(WriteSelfDeleteBatch(&info, &runOnce), 1);

    EXPECT_EQ(ReadWholeFile(batch), "del \"" + folder + "\\UninsDat200_Mivax.exe\"\r\n" + "del \"" +
                                        folder + "\\UninsDat200_Mivax.pif\"\r\n" + "del \"" +
                                        batch + "\"\r\n");
    // The value is written with its length only; NT (and Wine) count the terminator behind
    // the data themselves, so a reader sees an ordinary string.
    char value[MAX_PATH + 8] = {};
    DWORD type = 0;
    ASSERT_EQ(runOnce.QueryValue("UninsDat200_Mivax", value, sizeof value, &type), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(value), "\"" + batch + "\"");

    runOnce.DeleteValue("UninsDat200_Mivax");
    DeleteFileA(batch.c_str());
}

}  // namespace
