// The restart-time deletion on the real file system under Wine: a pending-deletion list in the
// Windows folder, written by the test, emptied by the run.
#include "uninstall/restart_deletion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "tests/install/install_harness.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kList = MacroFolder(FolderMacro::WF, "UninsDat200_Mivax_Res.dat");

int RunDeletion(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteWholeFile(kList, text);
    SSetupInfo info;
    return RunRestartDeletion(&info);
}

TEST(RestartDeletion, FilesThenFoldersWhateverTheOrderOfTheList) {
    TempDir dir;
    const std::string at = dir.path() + "\\";
    // Code page 932 names whose trail byte is 0x5C, the backslash.
    const std::string hyou = "\x95\x5C", so = "\x83\x5C", nou = "\x94\x5C";
    const std::string folders[] = {"before", "after", "p", "p\\q", "p\\q\\r", "kept", so};
    const std::string files[] = {"before\\a.txt", "after\\b.txt", "kept\\unlisted.txt",
                                 so + "\\" + nou + ".txt", hyou + ".txt"};
    for (const std::string& folder : folders)
        ASSERT_TRUE(CreateDirectoryA((at + folder).c_str(), nullptr)) << folder;
    for (const std::string& file : files)
        ASSERT_TRUE(WriteWholeFile(at + file, "")) << file;
    EXPECT_EQ(RunDeletion({
                  at + "before",  // a folder listed before the file in it
                  at + "before\\a.txt",
                  at + "after\\b.txt",
                  at + "after",
                  at + "p",  // nested folders, parent first: one folder pass each
                  at + "p\\q",
                  at + "p\\q\\r",
                  at + "kept",  // holds a file that is not listed
                  at + "missing\\x.txt",
                  "",
                  at + so,
                  at + so + "\\" + nou + ".txt",
                  at + hyou + ".txt",
              }),
              1);
    for (const std::string& gone : {folders[0], folders[1], folders[2], so, files[4]})
        EXPECT_FALSE(Exists(at + gone)) << gone;
    EXPECT_TRUE(Exists(at + "kept\\unlisted.txt"));
    EXPECT_FALSE(Exists(kList));
}

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP)
        ++*reinterpret_cast<int*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(RestartDeletion, EmptyMissingAndLockedLists) {
    EXPECT_EQ(RunDeletion({}), 1);
    EXPECT_FALSE(Exists(kList));
    SSetupInfo info;
    EXPECT_EQ(RunRestartDeletion(&info), 1) << "no list: nothing to do";
    EXPECT_FALSE(Exists(kList));

    // A list held open by a running wizard cannot be read: it stays for a later run.
    TempDir dir;
    WriteWholeFile(dir.File("f.txt"), "");
    std::string line = dir.File("f.txt") + "\r\n";
    WriteWholeFile(kList, line);
    HANDLE lock = CreateFileA(kList.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(RunRestartDeletion(&info), 0);
    CloseHandle(lock);
    EXPECT_TRUE(Exists(dir.File("f.txt")));

    // The run keeps its window alive: what waits in the queue is dispatched meanwhile.
    WNDCLASSA counting = {};
    counting.lpfnWndProc = CountingProc;
    counting.lpszClassName = "Counting";
    RegisterClassA(&counting);
    HWND window = CreateWindowExA(0, "Counting", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    int dispatched = 0;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));
    PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(RunRestartDeletion(&info), 1);
    EXPECT_FALSE(Exists(dir.File("f.txt")));
    EXPECT_EQ(dispatched, 1);
    DestroyWindow(window);
}

}  // namespace
