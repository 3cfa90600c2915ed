// The restart-time deletion on the real file system under Wine: a pending-deletion list in the
// Windows folder, written by the test, emptied by the run.
#include "uninstall/restart_deletion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

std::string ListPath() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\UninsDat200_Mivax_Res.dat";
}

void WriteList(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    HANDLE file = CreateFileA(ListPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// ANSI paths throughout: the names below hold double-byte characters.
void MakeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

int RunDeletion() {
    SSetupInfo info;
    return RunRestartDeletion(&info);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(RestartDeletion, FilesThenFoldersWhateverTheOrderOfTheList) {
    TempDir dir;
    const std::string at = dir.path() + "\\";
    // Code page 932 names whose trail byte is 0x5C, the backslash.
    const std::string hyou = "\x95\x5C", so = "\x83\x5C", nou = "\x94\x5C";
    for (const std::string& folder :
         std::vector<std::string>{"before", "after", "p", "p\\q", "p\\q\\r", "kept", so})
        MakeFolder(at + folder);
    for (const std::string& file :
         std::vector<std::string>{"before\\a.txt", "after\\b.txt", "kept\\unlisted.txt",
                                  so + "\\" + nou + ".txt", hyou + ".txt"})
        MakeFile(at + file);
    WriteList({
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
    });

    EXPECT_EQ(RunDeletion(), 1);
    for (const std::string& gone :
         std::vector<std::string>{"before", "after", "p", so, hyou + ".txt"})
        EXPECT_FALSE(Exists(at + gone)) << gone;
    EXPECT_TRUE(Exists(at + "kept\\unlisted.txt"));
    EXPECT_FALSE(Exists(ListPath()));
}

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP)
        ++*reinterpret_cast<int*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(RestartDeletion, EmptyMissingAndLockedLists) {
    WriteList({});
    EXPECT_EQ(RunDeletion(), 1);
    EXPECT_FALSE(Exists(ListPath()));
    EXPECT_EQ(RunDeletion(), 1) << "no list: nothing to do";
    EXPECT_FALSE(Exists(ListPath()));

    // A list held open by a running wizard cannot be read: it stays for a later run.
    TempDir dir;
    MakeFile(dir.File("f.txt"));
    WriteList({dir.File("f.txt")});
    HANDLE lock = CreateFileA(ListPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(RunDeletion(), 0);
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

    EXPECT_EQ(RunDeletion(), 1);
    EXPECT_FALSE(Exists(dir.File("f.txt")));
    EXPECT_EQ(dispatched, 1);
    DestroyWindow(window);
}

}  // namespace
