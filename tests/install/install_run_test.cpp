// The install run stepped to its end the way the progress page steps it, over a package that
// setupkit builds here: what lands on disk, in both logs, in the registry and in shell links, and
// what is put back when an action fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/folders.h"
#include "base/little_endian.h"
#include "base/setup_context.h"
#include "base/text_lines.h"
#include "base/win_handles.h"
#include "install/install_log.h"
#include "package/layout/package_layout.h"
#include "tests/install/install_harness.h"
#include "tests/support/temp_dir.h"
#include "tests/tree/tree_test_support.h"
#include "tree/tree.h"

namespace {

constexpr char kProductKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QvInstallTest";
constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// One time for every source file, hence for every record of the package.
FILETIME RecordTime() {
    SYSTEMTIME time = {2021, 3, 0, 14, 9, 26, 53, 0};
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    return file;
}

FILETIME ShiftedTime(long long seconds) {
    FILETIME time = RecordTime();
    ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart += seconds * 10000000LL;
    return FILETIME{value.LowPart, value.HighPart};
}

void WriteFileAt(const std::string& path, const std::string& content, const FILETIME& time) {
    WriteWholeFile(path, content);
    ClFileHandle file(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SetFileTime(file.get(), &time, &time, &time);
}

// Whether a file's last-write time, and its creation time unless it is null, are these.
bool HasTimes(const std::string& path, const FILETIME& written, const FILETIME* created) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           CompareFileTime(&data.ftLastWriteTime, &written) == 0 &&
           (!created || CompareFileTime(&data.ftCreationTime, created) == 0);
}

// A value of HKLM as stored: its type, a space and its bytes (a string keeps its terminator, or
// lacks it); "" when it is missing.
std::string Stored(const std::string& key, const std::string& name) {
    ClRegistryKey opened;
    char data[2048];
    DWORD type = 0, size = sizeof data;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.Out()) !=
            ERROR_SUCCESS ||
        RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS)
        return "";
    return std::to_string(type) + " " + std::string(data, size);
}

std::string Sz(const std::string& text) {
    return "1 " + std::string(text.c_str(), text.size() + 1);
}

std::string Dword(DWORD value) {
    return "4 " + std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// A SharedDLLs count that is no number.
void SetStringCount(const std::string& dll) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSharedDllsKey, dll.c_str(), REG_SZ, "old", 4);
}

// An entry of a log by its path, or null.
ClTreeNode* Entry(ClTree* log, const std::string& path, std::uint8_t kind = 0) {
    return ClTreeFindPath(log, nullptr, path.c_str(), "\\", kind);
}

long long Count(ClTree* log, const std::string& path, std::uint8_t kind = 0) {
    std::uint32_t* count = LogCount(Entry(log, path, kind));
    return count ? static_cast<long long>(*count) : -1;
}

class InstallRun : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        sources_ = new TempDir;
        const std::string& root = sources_->path();
        CreateDirectoryA((root + "\\files").c_str(), nullptr);
        for (const char* name : {"app.exe", "same.txt", "newer.txt", "older.txt", "both.txt",
                                 "shared3.dll", "parent.txt", "child.txt"})
            WriteFileAt(root + "\\files\\" + name, Source(name), RecordTime());
        setup_ = root + "\\setup.exe";
        ASSERT_TRUE(BuildSetup(root, kManifest, setup_));
    }
    static void TearDownTestSuite() {
        delete sources_;
        CoUninitialize();
    }

    static std::string Source(const std::string& name) { return "package content of " + name; }

    // Gives the loaded package a product and an install folder of this test's own, and clears
    // what an earlier run left there.
    void Configure(CLoadedPackage& package, const std::string& name) {
        ASSERT_TRUE(package.ok);
        SSetupInfo& info = package.info;
        SetupInfoSetText(&info, TEXT_INSTALL_PATH,
                         (Sjis("\\QvTest\\") + name + Sjis("\\表示")).c_str());
        char* folder = ExpandFolderMacros(&info, FolderMacro::IF);
        installFolder_ = folder;
        std::free(folder);
        RemoveTree(installFolder_);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSharedDllsKey, Shared("shared3.dll").c_str());
        RemoveTree(MacroFolder(FolderMacro::PD, "QvShared"));
        DeleteFileA(DesktopLink().c_str());
        RemoveTree(DesktopLink(Sjis("共有.lnk")));
        RemoveTree(MacroFolder(FolderMacro::PM, Sjis("クオルヴェイン試験")));
        CreateFolderPath(installFolder_.c_str(), nullptr);
    }

    std::string Installed(const std::string& name) const { return installFolder_ + "\\" + name; }
    static std::string Shared(const std::string& name) {
        return MacroFolder(FolderMacro::PD, "QvShared\\" + name);
    }
    static std::string DesktopLink(const std::string& name = Sjis("試験アプリ.lnk")) {
        return MacroFolder(FolderMacro::DT, name);
    }
    static std::string MenuLink() {
        return MacroFolder(FolderMacro::PM, Sjis("クオルヴェイン試験\\試験アプリ.lnk"));
    }

    // A component of the setup tree whose list on a disk is the given bytes.
    static void AddComponent(const std::string& name, const std::string& disk,
                             const std::string& list) {
        std::string data(13, '\0');
        data[0] = COMPONENT_STANDARD | COMPONENT_CUSTOM;
        // Beside the package's own components.
        ClTreeNode* sibling = Entry(g_setup->setupTree, Sjis("1 本体"), TN_KEY);
        AddNamed(g_setup->setupTree,
                 AddNamed(g_setup->setupTree, sibling->parent, true, name, data), false, disk,
                 list);
    }
    // The run stopped at a step that showed one message, and both logs are as they were before
    // that step.
    static void ExpectPutBack(const CInstallSession& session) {
        EXPECT_TRUE(session.failed);
        EXPECT_EQ(session.boxes.size(), 1u);
        EXPECT_EQ(session.stateAfterFailure, session.stateBeforeFailure);
    }
    static std::string U32(std::uint32_t value) {
        std::uint8_t bytes[4];
        StoreLe32(bytes, value);
        return std::string(reinterpret_cast<char*>(bytes), 4);
    }

    static const char* const kManifest;
    static TempDir* sources_;
    static std::string setup_;
    std::string installFolder_;
};

TempDir* InstallRun::sources_ = nullptr;
std::string InstallRun::setup_;

const char* const InstallRun::kManifest = R"(
[product]
name = "インストール試験"
publisher = "クオルヴェイン試験"

[install]
folder = '64\QvTest\表示'
uninstall_key = "QvInstallTest"
data_file = "QvTest.dat"

[[component]]
name = "1 本体"
disk = "Zeta"
files = [
  { source = "files/app.exe", display_icon = true, shortcut = { name = "試験アプリ", description = "説明です", arguments = "/x 1", desktop = true, program_menu = true } },
  { source = "files/same.txt" },
  { source = "files/newer.txt" },
  { source = "files/older.txt" },
  { source = "files/both.txt" },
  { source = "files/shared3.dll", dest = 'PD\QvShared', shared_dll = true, shortcut = { name = "共有", desktop = true } },
]

[[component]]
name = "2 共有"
disk = "alpha"
files = [
  { source = "files/both.txt" },
  { source = "files/same.txt", disk = "Zeta" },
]

[[component]]
name = "3 親"
files = [ { source = "files/parent.txt" } ]
  [[component.component]]
  name = "子"
  standard = false
  files = [ { source = "files/child.txt", dest = 'IF\child' } ]
)";

TEST_F(InstallRun, StandardRunInstallsEachFileOncePerDiskLogsAndRegisters) {
    CLoadedPackage package(setup_);
    Configure(package, "Std");
    // What stands in the install folder: the same time, a later one, an earlier one.
    WriteFileAt(Installed("same.txt"), "local same", RecordTime());
    WriteFileAt(Installed("newer.txt"), "local newer", ShiftedTime(86400));
    WriteFileAt(Installed("older.txt"), "local older", ShiftedTime(-86400));
    SetStringCount(Shared("shared3.dll"));
    CInstallSession session(package);
    // The next restart would delete a path that is installed again: its line goes.
    AppendTextLine(session.pendingList, (installFolder_ + "\\OLDER.TXT").c_str());
    AppendTextLine(session.pendingList, "C:\\unrelated\\file.txt");
    session.Run();
    ASSERT_TRUE(session.prepared);
    EXPECT_FALSE(session.failed);
    EXPECT_TRUE(session.page.finished);
    for (const SeenMessageBox& box : session.boxes)
        ADD_FAILURE() << "message box: " << Utf8(box.text);

    // Disks in name order (alpha before Zeta, though Zeta comes first in the tree), each file
    // once per disk; nothing of a component without a selected part.
    const std::vector<std::string> shown = {Installed("both.txt"),  Installed("app.exe"),
                                            DesktopLink(),          MenuLink(),
                                            Installed("both.txt"),  Installed("newer.txt"),
                                            Installed("older.txt"), Installed("same.txt"),
                                            Shared("shared3.dll"),  DesktopLink(Sjis("共有.lnk"))};
    EXPECT_EQ(session.page.details, shown);
    ClTree* log = session.run->logTree;
    EXPECT_EQ(Count(log, Installed("both.txt")), 2);
    EXPECT_EQ(Count(log, Installed("same.txt")), 1);

    // Files: written with the record's times; an equal or later file stays untouched but is
    // logged; an earlier one is replaced.
    const FILETIME recorded = RecordTime();
    EXPECT_TRUE(HasTimes(Installed("app.exe"), recorded, &recorded));
    EXPECT_EQ(ReadWholeFile(Installed("app.exe")), Source("app.exe"));
    EXPECT_EQ(ReadWholeFile(Installed("same.txt")), "local same");
    EXPECT_EQ(ReadWholeFile(Installed("newer.txt")), "local newer");
    EXPECT_EQ(ReadWholeFile(Installed("older.txt")), Source("older.txt"));
    EXPECT_EQ(Count(log, Installed("newer.txt")), 1);
    // What the uninstall and the rollback do with the logs, the end-to-end scenarios show; not
    // this entry: an attempt to remove program files itself would fail there unnoticed.
    EXPECT_EQ(Count(log, MacroFolder(FolderMacro::X64), TN_KEY), -1);

    // Pending deletions of re-installed paths are gone; others stay.
    std::uint64_t at = 0;
    EXPECT_FALSE(FindTextLine(session.pendingList, session.listBuffer.data(), kTextLineBufferSize,
                              Installed("older.txt").c_str(), &at));
    EXPECT_TRUE(FindTextLine(session.pendingList, session.listBuffer.data(), kTextLineBufferSize,
                             "C:\\unrelated\\file.txt", &at));
    DeleteTextLine(session.pendingList, session.listBuffer.data(), kTextLineBufferSize, at);

    // SharedDLLs: a count stored as a string becomes the number 1. (New and raised counts, the
    // scenario of two products sharing a DLL shows.)
    EXPECT_EQ(Stored(kSharedDllsKey, Shared("shared3.dll")), Dword(1));

    // The links' fields are read by lnkinfo (check-links) from these copies.
    CopyFileA(DesktopLink().c_str(), LINKS_DIR "\\desktop.lnk", FALSE);
    CopyFileA(MenuLink().c_str(), LINKS_DIR "\\menu.lnk", FALSE);

    // The Uninstall key, value by value, each string with its terminator.
    std::string uninstaller = MacroFolder(FolderMacro::WF, "UninsDat200_Mivax.exe");
    std::string dataFile = Installed("QvTest.dat");
    const std::pair<const char*, std::string> values[] = {
        {"UninstallString", "\"" + uninstaller + "\" /U \"" + dataFile + "\""},
        {"DisplayName", Sjis("インストール試験")},
        {"DisplayIcon", Installed("app.exe")},
        {"UninstallDataFile", dataFile}};
    for (const auto& [name, text] : values)
        EXPECT_EQ(Stored(kProductKey, name), Sz(text)) << name;
}

// A shortcut that cannot be written fails its file after the count was raised: the count, the
// file it replaced and the logs are as they were.
TEST_F(InstallRun, AFailedActionPutsBackTheFileTheLogsAndTheCount) {
    CLoadedPackage package(setup_);
    Configure(package, "Link");
    CreateDirectoryA(DesktopLink(Sjis("共有.lnk")).c_str(), nullptr);
    CreateDirectoryA(MacroFolder(FolderMacro::PD, "QvShared").c_str(), nullptr);
    WriteFileAt(Shared("shared3.dll"), "old dll", ShiftedTime(-86400));
    SetStringCount(Shared("shared3.dll"));
    CInstallSession session(package);
    session.Run();
    ExpectPutBack(session);
    EXPECT_EQ(ReadWholeFile(Shared("shared3.dll")), "old dll");
    EXPECT_EQ(Stored(kSharedDllsKey, Shared("shared3.dll")), Sz("old"));
    RemoveTree(DesktopLink(Sjis("共有.lnk")));
}

TEST_F(InstallRun, NamesThatCouldLeaveTheirFolderAreDamagedData) {
    // Names of a file, of the folder that holds one, or of the top-level key above it (a code
    // that names no folder would leave a path relative to the current folder); each is the first
    // item of its run.
    enum Place { FILE_NAME, FOLDER_NAME, MACRO_NAME };
    struct Hostile {
        const char* name;
        Place place;
    };
    const Hostile hostile[] = {{"..", FOLDER_NAME}, {"a\\b", FOLDER_NAME},  {"x:y", FOLDER_NAME},
                               {"", FILE_NAME},     {".", FILE_NAME},       {"a/b", FILE_NAME},
                               {"CON", FILE_NAME},  {"nul.txt", FILE_NAME}, {"name.", FILE_NAME},
                               {"NN", MACRO_NAME},  {"OT", MACRO_NAME},     {"LM", MACRO_NAME}};
    for (const Hostile& bad : hostile) {
        CLoadedPackage package(setup_);
        Configure(package, "Bad");
        // A copy of app.exe's record under the name, or in a folder of that name, listed
        // first on the first disk.
        ClTreeNode* app = Entry(g_setup->fileTree, "IF\\app.exe");
        ClTreeNode* parent = bad.place == MACRO_NAME ? nullptr : app->parent;
        if (bad.place != FILE_NAME) {
            std::string folder(8, '\0');
            StoreLe32(reinterpret_cast<std::uint8_t*>(folder.data()) + 4, 999);
            parent = AddNamed(g_setup->fileTree, parent, true, bad.name, folder);
        }
        std::string record = NodeData(app);
        StoreLe32(reinterpret_cast<std::uint8_t*>(record.data()) + 4, 1000);
        ASSERT_NE(AddNamed(g_setup->fileTree, parent, false,
                           bad.place == FILE_NAME ? bad.name : "evil.txt", record),
                  nullptr);
        AddComponent("0", "alpha", "\x01" + U32(1000) + std::string(1, '\0'));
        CInstallSession session(package);
        session.Run();
        SCOPED_TRACE(bad.name);
        ExpectPutBack(session);
        EXPECT_TRUE(session.page.details.empty()) << "the first file stops the run";
        EXPECT_FALSE(Exists(MacroFolder(FolderMacro::X64, "QvTest\\evil.txt")));
    }
}

}  // namespace
