// The restart-time deletion on the real file system under Wine: a pending-deletion list in the
// Windows folder, written by the test, emptied by the run.
#include "uninstall/restart_deletion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/file_io.h"
#include "tests/install/install_harness.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kList = MacroFolder(FolderMacro::WF, "UninsDat200_Mivax_Res.dat");

// Files first, then folders in as many passes as their order in the list needs; a list held
// open by a running wizard stays for a later run.
TEST(RestartDeletion, FilesThenFoldersWhateverTheOrderOfTheList) {
    TempDir dir;
    const std::string at = dir.path() + "\\";
    for (const char* folder : {"before", "p", "p\\q", "p\\q\\r", "kept"})
        ASSERT_TRUE(CreateDirectoryA((at + folder).c_str(), nullptr)) << folder;
    for (const char* file : {"before\\a.txt", "kept\\unlisted.txt"})
        ASSERT_TRUE(WriteWholeFile(at + file, "")) << file;
    std::string list;
    for (const char* line :
         {"before", "before\\a.txt", "p", "p\\q", "p\\q\\r", "kept", "missing.txt"})
        list += at + line + "\r\n";
    WriteWholeFile(kList, list + "\r\n");
    HANDLE lock = CreateFileA(kList.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    SSetupInfo info;
    EXPECT_EQ(RunRestartDeletion(&info), 0);
    CloseHandle(lock);
    EXPECT_TRUE(Exists(at + "before\\a.txt"));

    EXPECT_EQ(RunRestartDeletion(&info), 1);
    for (const char* gone : {"before", "p"})
        EXPECT_FALSE(Exists(at + gone)) << gone;
    EXPECT_TRUE(Exists(at + "kept\\unlisted.txt"));
    EXPECT_FALSE(Exists(kList));
}

}  // namespace
