// The uninstall run over the logs that the real install run writes for a package that setupkit
// builds here: uninstalling and the rollback of a failed install, each judged by a snapshot of
// files and registry taken before the install. Whole lives of products through the wizard, Wine's
// uninstaller and restarts are in tests/system.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/dbcs.h"
#include "base/folders.h"
#include "base/run_flags.h"
#include "base/setup_context.h"
#include "base/text_lines.h"
#include "install/uninstall_data_file.h"
#include "tests/install/install_harness.h"
#include "tests/support/machine_snapshot.h"
#include "tests/support/temp_dir.h"
#include "tests/tree/tree_test_support.h"
#include "tree/tree.h"
#include "tree/tree_owner.h"
#include "uninstall/uninstall_run.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kProduct[] = "QvUninstallTest";

std::string Installed(const std::string& utf8 = "") {
    return MacroFolder(FolderMacro::X64,
                       Sjis("QvUninst\\表示") + (utf8.empty() ? "" : "\\" + Sjis(utf8)));
}
std::string Shared(const std::string& name) {
    return MacroFolder(FolderMacro::PD, "QvUninstShared" + (name.empty() ? "" : "\\" + name));
}
void SetText(HKEY root, const std::string& key, const char* name, const std::string& text) {
    RegSetKeyValueA(root, key.c_str(), name, REG_SZ, text.c_str(),
                    static_cast<DWORD>(text.size() + 1));
}
void SetCount(const std::string& dll, DWORD count) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSharedDllsKey, Shared(dll).c_str(), REG_DWORD, &count,
                    sizeof count);
}
// The whole of every place the product or the runs could touch.
MachineSnapshot Snapshot() {
    MachineSnapshot snapshot;
    for (std::uint16_t macro :
         {FolderMacro::X64, FolderMacro::PF, FolderMacro::PD, FolderMacro::DT, FolderMacro::PM})
        SnapshotFolder(MacroFolder(macro), &snapshot);
    SnapshotRegistry(HKEY_CURRENT_USER, "HKCU", "", &snapshot);
    SnapshotRegistry(HKEY_LOCAL_MACHINE, "HKLM", "Software", &snapshot);
    return snapshot;
}
// Removes a path that must stay from a snapshot, after checking that it is there.
void Kept(MachineSnapshot* after, const std::string& path) {
    EXPECT_NE(after->find(path), after->end()) << "must stay: " << Utf8(path);
    after->erase(path);
}
// A copy of the log entry at from (a key when kind is TN_KEY) at the path to.
void CopyEntry(ClTree* log, const char* from, std::uint8_t kind, const std::string& to) {
    ClTreeNode* entry = ClTreeFindPath(log, nullptr, from, "\\", kind);
    ASSERT_NE(entry, nullptr) << from;
    std::size_t cut = to.rfind('\\');
    ClTreeNode* parent = ClTreeCreatePath(log, nullptr, to.substr(0, cut).c_str(), "\\", nullptr);
    AddNamed(log, parent, kind == TN_KEY, to.substr(cut + 1), NodeData(entry), true, entry->spare);
}

// The log as writers before this one kept it: every path made with ClTreeCreatePath, which
// splits a name at a 0x5C trail byte; a folder or key entry makes its path below its parent
// with its own data, a file or value hangs below the key its folder's path ends in.
ClTreeOwner SplitLikeOldWriters(ClTree* log) {
    ClTreeOwner split(ClTreeCreate());
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(log); node; node = ClTreeNavigate(node, TN_WALK, &depth)) {
        if ((node->flags & (TN_NAMED | TN_DATA)) != (TN_NAMED | TN_DATA) || !node->parent)
            continue;
        std::string parentPath(ClTreeGetPath(node->parent, nullptr, "\\"), '\0');
        ClTreeGetPath(node->parent, parentPath.data(), "\\");
        ClTreeNode* at = ClTreeCreatePath(split.get(), nullptr, parentPath.c_str(), "\\", nullptr);
        ClTreeNodeInfo info{TN_DATA | TN_SPARE, at,           node->name,
                            node->data,         node->length, node->spare};
        if (node->flags & TN_KEY) {
            ClTreeCreatePath(split.get(), at, node->name, "\\", &info);
        } else {
            info.flags |= TN_NAMED | TN_LINKED;
            ClTreeAddNode(split.get(), &info);
        }
    }
    return split;
}

class UninstallRun : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        sources_ = new TempDir;
        std::string files = sources_->File("files");
        CreateDirectoryA(files.c_str(), nullptr);
        for (const char* name : {"app.exe", "readme.txt", "能.txt", "later.txt", "keep.ini",
                                 "shared.dll", "shared2.dll", "shared3.dll"})
            WriteWholeFile(files + "\\" + Sjis(name), std::string("content of ") + name);
        setup_ = sources_->File("setup.exe");
        ASSERT_TRUE(BuildSetup(sources_->path(), kManifest, setup_));
    }
    static void TearDownTestSuite() {
        delete sources_;
        CoUninitialize();
    }

    void SetUp() override { Clean(); }
    // Clears what an earlier test left; the DLL shared2.dll is counted twice already.
    static void Clean() {
        RemoveTree(MacroFolder(FolderMacro::X64, "QvUninst"));
        RemoveTree(Shared(""));
        DeleteFileA(MacroFolder(FolderMacro::WF, "UninsDat200_Mivax_Res.dat").c_str());
        DeleteFileA(MacroFolder(FolderMacro::DT, Sjis("削除アプリ.lnk")).c_str());
        RemoveTree(MacroFolder(FolderMacro::PM, Sjis("クオルヴェイン削除試験")));
        for (const char* key :
             {"Software\\QvUninst", "Software\\QvUninstPlain", "Software\\QvUninstValues",
              "Software\\QvUninstCheck", "QvUninstRootKey"})
            RegDeleteTreeA(HKEY_CURRENT_USER, key);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, nullptr, "QvUninstRootValue");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\QvUninstBogus");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + kProduct).c_str());
        for (const char* dll : {"shared.dll", "shared2.dll", "shared3.dll"})
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSharedDllsKey, Shared(dll).c_str());
        SetCount("shared2.dll", 2);
    }

    // Installs the package and checks that it worked.
    static void Install() {
        CLoadedPackage package(setup_);
        ASSERT_TRUE(package.ok);
        CInstallSession session(package);
        session.Run();
        ASSERT_TRUE(session.page.finished);
        ASSERT_TRUE(session.boxes.empty());
    }

    // Steps the uninstall run over log (taken from the caller) as the progress page does, on
    // the page of wizard, with what the wizard lends it.
    static void RunUninstall(CInstallSession& wizard, SSetupInfo* info, std::uint8_t runFlags,
                             ClTree** log) {
        SUninstallRunContext context{info,
                                     wizard.pendingList,
                                     wizard.listBuffer.data(),
                                     kTextLineBufferSize,
                                     wizard.sharedDlls,
                                     runFlags};
        CUninstallPageTracker run(context);
        wizard.page.finished = false;
        wizard.page.details.clear();
        ASSERT_EQ(run.AttachPage(&wizard.page), 1);
        std::swap(run.logTree, *log);
        run.Start();
        for (int steps = 0; !wizard.page.finished && steps < 1000; ++steps)
            EXPECT_EQ(run.Step(), 1);
        ASSERT_TRUE(wizard.page.finished);
        // What the run showed is what it acted on: never a path that ends inside a character.
        for (const std::string& path : wizard.page.details)
            EXPECT_FALSE(EndsInLeadByte(path.c_str())) << Utf8(path);
    }

    // The log of the installed product's data file, as the uninstall wizard loads it.
    static ClTreeOwner LoadLog() {
        std::snprintf(g_setup->dataFileArg, kContextPathSize, "%s",
                      Installed("QvUninst.dat").c_str());
        ClTreeOwner components(ClTreeCreate());
        ClTreeOwner log(ClTreeCreate());
        std::uint8_t selection = 0;
        EXPECT_EQ(LoadUninstallData(nullptr, components.get(), &selection, log.get(), nullptr,
                                    RUN_UNINSTALL),
                  1);
        return log;
    }

    // Uninstalls from the data file; the log may be changed first.
    template <typename Change>
    static void Uninstall(Change change) {
        CLoadedPackage package(setup_);
        CInstallSession wizard(package);
        ClTreeOwner log = LoadLog();
        change(log);
        ClTree* taken = log.release();
        RunUninstall(wizard, &package.info, RUN_UNINSTALL, &taken);
        ClTreeDestroy(taken);
    }

    // What every uninstall keeps of this package: the never-remove file and folder with the
    // folders above them, the file deferred to the restart with its folder, the DLL that is
    // still counted.
    static void KeptByEveryUninstall(MachineSnapshot* after) {
        for (const std::string& path :
             {MacroFolder(FolderMacro::X64, "QvUninst") + "\\", Installed() + "\\",
              Installed("keep.ini"), Installed("keep") + "\\", Installed("later") + "\\",
              Installed("later\\later.txt"), Shared("shared2.dll"), Shared("") + "\\"})
            Kept(after, path);
    }

    static const char* const kManifest;
    static TempDir* sources_;
    static std::string setup_;
};

TempDir* UninstallRun::sources_ = nullptr;
std::string UninstallRun::setup_;

const char* const UninstallRun::kManifest = R"(
[product]
name = "削除試験"
publisher = "クオルヴェイン削除試験"

[install]
folder = '64\QvUninst\表示'
uninstall_key = "QvUninstallTest"
data_file = "QvUninst.dat"

[[component]]
name = "1 本体"
files = [
  { source = "files/app.exe", display_icon = true, shortcut = { name = "削除アプリ", desktop = true, program_menu = true } },
  { source = "files/readme.txt" },
  { source = "files/能.txt", dest = 'IF\ソフト\表' },
  { source = "files/later.txt", dest = 'IF\later', delete_at_restart = true },
  { source = "files/keep.ini", never_remove = true },
  { source = "files/shared.dll", dest = 'PD\QvUninstShared', shared_dll = true },
  { source = "files/shared2.dll", dest = 'PD\QvUninstShared', shared_dll = true },
  { source = "files/shared3.dll", dest = 'PD\QvUninstShared', shared_dll = true },
]
folders = [ { dest = 'IF\data' }, { dest = 'IF\keep', never_remove = true }, { dest = 'IF\keep\表示' } ]
registry = [
  { key = 'CU\Software\QvUninst', recursive = true },
  { key = 'CU\Software\QvUninst', value = "Setting" },
  { key = 'CU\Software\QvUninstPlain' },
  { key = 'CU\Software\QvUninstValues', value = "Setting" },
  { key = 'CU\Software\QvUninstValues', value = "Stay", never_remove = true },
  { key = 'CU\QvUninstRootKey' },
  { key = 'CU\Software\QvUninstCheck\Exact', check = { mode = "exact", text = "Abc" } },
  { key = 'CU\Software\QvUninstCheck\ExactBad', check = { mode = "exact", text = "Abc" } },
  { key = 'CU\Software\QvUninstCheck\NoCase', check = { mode = "nocase", text = "Abc" } },
  { key = 'CU\Software\QvUninstCheck\NoCaseBad', check = { mode = "nocase", text = "ア" } },
  { key = 'CU\Software\QvUninstCheck\ParentNoCase', check = { mode = "parent_nocase", text = "PARENT" } },
  { key = 'CU\Software\QvUninstCheck\ParentNoCaseBad', check = { mode = "parent_nocase", text = "Other" } },
  { key = 'CU\Software\QvUninstCheck\Unknown', check = { mode = "exact", text = "Abc" } },
]
)";

TEST_F(UninstallRun, UninstallingLeavesTheMachineAsBeforeButForWhatMustStay) {
    MachineSnapshot before = Snapshot();
    Install();
    // What the product's programs and the user do meanwhile.
    WriteWholeFile(Installed("data\\user.txt"), "the user's own");
    SetText(HKEY_CURRENT_USER, "Software\\QvUninst\\Sub\\Deeper", "Setting", "x");
    SetText(HKEY_CURRENT_USER, "Software\\QvUninst", "Setting", "x");
    SetText(HKEY_CURRENT_USER, "Software\\QvUninstPlain\\Child", nullptr, "x");
    for (const char* value : {"Setting", "Stay", "Other"})
        SetText(HKEY_CURRENT_USER, "Software\\QvUninstValues", value, "x");
    SetText(HKEY_CURRENT_USER, "QvUninstRootKey", nullptr, "x");
    SetText(HKEY_CURRENT_USER, "", "QvUninstRootValue", "x");
    SetText(HKEY_LOCAL_MACHINE, "Software\\QvUninstBogus", nullptr, "x");
    const std::pair<const char*, const char*> defaults[] = {
        {"", "Parent"},      {"Exact", "Abc"},     {"ExactBad", "abc"},     {"NoCase", "aBC"},
        {"NoCaseBad", "ヂ"}, {"ParentNoCase", ""}, {"ParentNoCaseBad", ""}, {"Unknown", "Abc"}};
    for (const auto& [key, text] : defaults)
        SetText(HKEY_CURRENT_USER, std::string("Software\\QvUninstCheck\\") + key, nullptr,
                Sjis(text));
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSharedDllsKey, Shared("shared3.dll").c_str());

    Uninstall([](ClTreeOwner& log) {
        // Entries no install writes: an unknown check, a value of a root, an unknown root.
        ClTreeNode* unknown = ClTreeFindPath(log.get(), nullptr,
                                             "CU\\Software\\QvUninstCheck\\Unknown", "\\", TN_KEY);
        ASSERT_NE(unknown, nullptr);
        unknown->data[8] = 7;
        CopyEntry(log.get(), "CU\\Software\\QvUninstValues\\Setting", 0, "CU\\QvUninstRootValue");
        CopyEntry(log.get(), "CU\\Software\\QvUninstPlain", TN_KEY, "LMX\\Software\\QvUninstBogus");
    });
    MachineSnapshot after = Snapshot();
    Kept(&after, Installed("data\\user.txt"));
    Kept(&after, Installed("data") + "\\");
    Kept(&after, Shared("shared3.dll"));  // not counted at all
    KeptByEveryUninstall(&after);
    for (const char* key :
         {"HKCU\\Software\\QvUninstPlain\\", "HKCU\\Software\\QvUninstPlain\\Child\\",
          "HKCU\\Software\\QvUninstPlain\\Child\\:", "HKCU\\Software\\QvUninstValues\\",
          "HKCU\\Software\\QvUninstValues\\:Stay", "HKCU\\Software\\QvUninstValues\\:Other",
          "HKCU\\QvUninstRootKey\\", "HKCU\\QvUninstRootKey\\:", "HKCU\\:QvUninstRootValue",
          "HKLM\\Software\\QvUninstBogus\\", "HKLM\\Software\\QvUninstBogus\\:"})
        Kept(&after, key);
    for (const char* key : {"", "ExactBad\\", "NoCaseBad\\", "ParentNoCaseBad\\", "Unknown\\"}) {
        Kept(&after, std::string("HKCU\\Software\\QvUninstCheck\\") + key);
        Kept(&after, std::string("HKCU\\Software\\QvUninstCheck\\") + key + ":");
    }
    EXPECT_EQ(SnapshotDifference(before, after), "");
}

TEST_F(UninstallRun, ARollbackTakesBackWhatTheFailedRunDidWhereverItFailed) {
    // The order in which the run writes the files, and a package whose readme.txt is damaged.
    std::vector<std::string> files;
    std::string damaged = sources_->File("damaged.exe");
    ASSERT_TRUE(WriteDamagedEntryCopy(setup_, "IF\\readme.txt", damaged));
    {
        CLoadedPackage package(setup_);
        CInstallSession session(package);
        session.Run();
        for (const std::string& path : session.page.details) {
            if (path.find(".lnk") == std::string::npos)
                files.push_back(path);
        }
    }
    ASSERT_EQ(files.size(), 8u);
    std::size_t readme =
        std::find(files.begin(), files.end(), Installed("readme.txt")) - files.begin();
    ASSERT_LT(readme, files.size());
    // Where it fails: the first, the second and the last file and one in the middle, where a
    // folder stands in the way; the readme, whose entry is damaged; the data file, written last.
    for (std::size_t failAt : {std::size_t{0}, std::size_t{1}, readme, files.size() / 2 + 1,
                               files.size() - 1, files.size()}) {
        SCOPED_TRACE(failAt);
        Clean();
        // An older readme that the run replaces: put back when its own action fails, kept as
        // written when the run fails later. Never-remove items stay even after a rollback: here
        // they stand there already.
        CreateFolderPath(Installed().c_str(), "keep");
        std::string older = Installed("readme.txt");
        WriteWholeFile(older, std::string("older\0readme", 12));
        HANDLE file = CreateFileA(older.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        FILETIME longAgo = {0, 0x01000000};
        SetFileTime(file, &longAgo, &longAgo, &longAgo);
        CloseHandle(file);
        WriteWholeFile(Installed("keep.ini"), "the user's settings");
        if (failAt != readme) {
            std::string blocked = failAt < files.size() ? files[failAt] : Installed("QvUninst.dat");
            CreateFolderPath(blocked.c_str(), nullptr);
        }
        MachineSnapshot before = Snapshot();
        CLoadedPackage package(failAt == readme ? damaged : setup_);
        CInstallSession session(package);
        session.Run();
        ASSERT_TRUE(session.failed);
        EXPECT_EQ(session.boxes.size(), 1u);
        RunUninstall(session, &package.info, 0, &session.run->runLogTree);
        MachineSnapshot after = Snapshot();
        std::string expected = failAt > readme ? "~ " + Installed("readme.txt") + "\n" : "";
        EXPECT_EQ(Utf8(SnapshotDifference(before, after)), Utf8(expected));
    }
}

TEST_F(UninstallRun, NamesSplitAtATrailByteByOlderWritersAreRemovedWholeAndNoHalfNameIsUsed) {
    MachineSnapshot before = Snapshot();
    Install();
    ASSERT_TRUE(Exists(Installed("keep\\表示")));
    // A folder of the user's that a name cut short, made whole the wrong way, would name.
    std::string users = Installed("keep\\表");
    CreateDirectoryA(users.c_str(), nullptr);
    // The old log holds the key 95 for the folders 表 (95 5C) and 表示 (95 5C 8E A6, its rest
    // 8E A6 a key below). Joined with "\" the names come back whole; the path ending in 95, a
    // half-name, would name keep itself, a never-remove folder that is empty by then.
    Uninstall([](ClTreeOwner& log) {
        log = SplitLikeOldWriters(log.get());
        ClTreeNode* fragment = nullptr;
        std::int32_t depth = 0;
        for (ClTreeNode* node = ClTreeRoot(log.get()); node;
             node = ClTreeNavigate(node, TN_WALK, &depth)) {
            if (std::string(node->name ? node->name : "") == "\x95" &&
                std::string(node->parent->name) == "keep")
                fragment = node;
        }
        ASSERT_NE(fragment, nullptr);
        ASSERT_NE(ClTreeNavigate(fragment, TN_FIRST_KEY, nullptr), nullptr);
    });
    EXPECT_FALSE(Exists(Installed("ソフト")));
    MachineSnapshot after = Snapshot();
    KeptByEveryUninstall(&after);
    Kept(&after, users + "\\");
    EXPECT_EQ(Utf8(SnapshotDifference(before, after)), "");
}

}  // namespace
