// What users of one machine live through with the real setup.exe, its wizard driven through
// Win32 messages and its packages built by setupkit.exe: each scenario is judged by what it
// changes on the whole machine, in a Wine prefix of the test program's own. The scenarios run in
// the order written: the first install brings the shared uninstaller, which later ones find.
// Behind the scenarios, the wizard's refusals and page lists.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/install_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"
#include "tests/install/install_harness.h"
#include "tests/support/machine_snapshot.h"
#include "tests/wizard/wizard_pilot.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

const char kInitFailed[] = "初期化に失敗しました。";

// The whole machine but the test's own scratch folder and Wine's own settings: the Unix menu
// entry Wine makes for every shortcut, the mouse settings it keeps while a program runs.
MachineSnapshot Machine(const TempDir& scratch) {
    MachineSnapshot snapshot = SnapshotMachine({scratch.path()});
    SnapshotForget(&snapshot, "HKCU\\Software\\Wine\\");
    return snapshot;
}

// The difference as UTF-8 lines.
std::string Changes(const MachineSnapshot& before, const MachineSnapshot& after) {
    return Utf8(SnapshotDifference(before, after));
}

// Every finished install copies its own uninstaller over the shared one.
const std::string kUninstallerCopied = "~ C:\\windows\\UninsDat200_Mivax.exe\n";
const std::string kCounted = "~ HKLM\\Software\\Quorvane\\UninsDat\\2.0\\:RefC\n";

// A line "sign folder+name" for each name.
std::string Lines(const char* sign, const std::string& folder,
                  const std::vector<std::string>& names) {
    std::string lines;
    for (const std::string& name : names)
        lines += std::string(sign) + " " + folder + name + "\n";
    return lines;
}

// The lines of the uninstall key of a product.
std::string UninstallKeyLines(const char* sign, const std::string& key) {
    return Lines(sign,
                 "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key + "\\",
                 {"", ":DisplayName", ":UninstallDataFile", ":UninstallString"});
}

// Start, progress, finish and Finish, the way a wizard's run ends.
void RunToTheEnd(CWizardPilot& wizard, const char* done) {
    ASSERT_TRUE(wizard.Next("progress"));
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    EXPECT_EQ(Utf8(wizard.Text(IDC_PHASE_TEXT)), done);
    // The run steps many items per idle turn with the page's painting held: afterwards the
    // page's lines and its bar are shown again, the bar at its end, and the bar that the
    // template hides stays hidden.
    EXPECT_TRUE(wizard.Visible(IDC_PHASE_TEXT));
    EXPECT_TRUE(wizard.Visible(IDC_DETAIL_TEXT));
    EXPECT_TRUE(wizard.Visible(IDC_PROGRESS_MIDDLE));
    EXPECT_FALSE(wizard.Visible(IDC_PROGRESS_BOTTOM));
    HWND bar = wizard.Control(IDC_PROGRESS_MIDDLE);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_FALSE(wizard.SheetButtonEnabled(kBack));
    ASSERT_TRUE(wizard.Next("finish"));
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kFinish); }));
    EXPECT_FALSE(wizard.SheetButtonEnabled(IDCANCEL));
    wizard.PressSheetButton(kFinish);
    EXPECT_EQ(wizard.WaitForExit(), 0);
    EXPECT_EQ(Texts(wizard.boxes), Texts_{});
}

// The uninstall wizard of a product from the command its Uninstall key holds.
void UninstallThroughTheWizard(const std::string& key) {
    CWizardPilot wizard(UninstallValue(key, "UninstallString"));
    ASSERT_TRUE(wizard.WaitForSheet());
    ASSERT_EQ(wizard.PageName(), "start");
    RunToTheEnd(wizard, "アンインストール完了。");
}

TEST(WizardScenarios, AutoModesInstallAndUninstallWithoutAClick) {
    TempDir dir;
    const std::string setup = BuildWizardPackage(dir, "auto", R"(
[product]
name = "自動試験"
[install]
folder = '64\AutoTest'
uninstall_key = "QuorvaneAuto"
pages = ["progress"]
options = ["auto_install", "auto_uninstall"]
[[component]]
name = "本体"
  [[component.files]]
  source = "app.txt"
  shortcut = { name = "自動アプリ", desktop = true }
  [[component.files]]
  source = "help.txt"
  dest = 'IF\help'
)");
    ASSERT_FALSE(setup.empty());
    const MachineSnapshot before = Machine(dir);
    // Nobody presses a button: the program must end by itself.
    EXPECT_EQ(RunAlone(Quoted(setup)), Texts_{});
    // What the first product brings besides its own: the shared uninstaller, the pending-deletion
    // list, the restart entry, the count of products, and the SharedDLLs key (which every Windows
    // has and a fresh Wine prefix lacks).
    const std::string shared =
        Lines("+", "C:\\windows\\", {"UninsDat200_Mivax.exe", "UninsDat200_Mivax_Res.dat"}) +
        Lines("+", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\",
              {"RunOnce\\:UninsDat200_Mivax.exe", "SharedDLLs\\"});
    const std::string count = Lines("+", "HKLM\\Software\\Quorvane\\",
                                    {"", "UninsDat\\", "UninsDat\\2.0\\", "UninsDat\\2.0\\:RefC"});
    EXPECT_EQ(Changes(before, Machine(dir)),
              Lines("+", "C:\\Program Files\\AutoTest\\",
                    {"", "Uninstall.dat", "app.txt", "help\\", "help\\help.txt"}) +
                  "+ C:\\users\\Public\\Desktop\\自動アプリ.lnk\n" + shared +
                  UninstallKeyLines("+", "QuorvaneAuto") + count);
    EXPECT_EQ(ReadWholeFile(ProgramFiles() + "\\AutoTest\\app.txt"), "content of app.txt");
    EXPECT_EQ(ProductCount(), 1);
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax.exe"), "\"C:\\windows\\UninsDat200_Mivax.exe\" /R");
    const std::string uninstall = UninstallValue("QuorvaneAuto", "UninstallString");
    EXPECT_EQ(uninstall,
              "\"C:\\windows\\UninsDat200_Mivax.exe\" /U "
              "\"C:\\Program Files\\AutoTest\\Uninstall.dat\"");

    EXPECT_EQ(RunAlone(uninstall), Texts_{});
    // The shared part stays until the next restart, which deletes the list and, with no product
    // left, the uninstaller; the count stays at 0.
    EXPECT_EQ(Changes(before, Machine(dir)), shared + count);
    EXPECT_EQ(ProductCount(), 0);
}

// Every page, components in two levels, a program-menu shortcut.
const char kFullManifest[] = R"(
[product]
name = "全頁試験"
publisher = "試験会社"
[install]
folder = '64\FullTest\App'
uninstall_key = "QuorvaneFullTest"
pages = ["warning", "licence", "mode", "items", "dest_folder", "dest_group", "start",
         "progress", "finish"]
[texts]
notice = "注意事項です。"
licence = "使用許諾の本文です。"
[[component]]
name = "1 本体"
description = "本体の説明です。"
  [[component.files]]
  source = "app.txt"
  shortcut = { name = "試験アプリ", program_menu = true }
[[component]]
name = "2 追加"
description = "追加の説明です。"
  [[component.component]]
  name = "ヘルプ"
  description = "ヘルプの説明です。"
    [[component.component.files]]
    source = "help.txt"
  [[component.component]]
  name = "サンプル"
    [[component.component.files]]
    source = "sample.txt"
)";

// The texts and images of a tree's items, depth first: "name=image".
std::string Shape(CWizardPilot& wizard, HWND tree, HTREEITEM parent = nullptr) {
    std::string shape;
    for (const STreeItem& item : wizard.Children(tree, parent))
        shape += Utf8(item.text) + "=" + std::to_string(item.image) + " " +
                 Shape(wizard, tree, item.item);
    return shape;
}

void CheckLicence(CWizardPilot& wizard) {
    EXPECT_EQ(Utf8(wizard.Text(IDC_LICENCE_TEXT)), "使用許諾の本文です。");
    EXPECT_FALSE(wizard.SheetButtonEnabled(kNext)) << "not agreed yet";
    wizard.Click(IDC_AGREE);
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    wizard.Click(IDC_DISAGREE);
    EXPECT_TRUE(WaitUntil([&] { return !wizard.SheetButtonEnabled(kNext); }));
}

// The pages behind the mode page follow the choice before Next is pressed.
void CheckMode(CWizardPilot& wizard) {
    EXPECT_TRUE(wizard.Checked(IDC_MODE_STANDARD));
    EXPECT_EQ(wizard.PageCount(), 6);
    wizard.Click(IDC_MODE_CUSTOM);
    EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 8; }));
    wizard.Click(IDC_MODE_STANDARD);
    EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 6; }));
}

void CheckItems(CWizardPilot& wizard) {
    HWND tree = wizard.Control(IDC_ITEMS_TREE);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(Shape(wizard, tree), "1 本体=1 2 追加=1 サンプル=1 ヘルプ=1 ");
    HTREEITEM extra = wizard.Find(tree, nullptr, Sjis("2 追加"));
    wizard.Select(tree, wizard.Find(tree, extra, Sjis("ヘルプ")));
    EXPECT_TRUE(WaitUntil(
        [&] { return Utf8(wizard.Text(IDC_ITEMS_DESCRIPTION)) == "ヘルプの説明です。"; }));
    wizard.Click(IDC_ITEMS_CLEAR_ALL);
    EXPECT_TRUE(
        WaitUntil([&] { return Shape(wizard, tree) == "1 本体=0 2 追加=0 サンプル=0 ヘルプ=0 "; }));
    wizard.Click(IDC_ITEMS_SELECT_ALL);
    EXPECT_TRUE(
        WaitUntil([&] { return Shape(wizard, tree) == "1 本体=1 2 追加=1 サンプル=1 ヘルプ=1 "; }));
    wizard.ClickImage(tree, wizard.Find(tree, extra, Sjis("サンプル")));
    EXPECT_EQ(Shape(wizard, tree), "1 本体=1 2 追加=2 サンプル=0 ヘルプ=1 ");
    // Details opens and closes the selected group.
    wizard.Select(tree, extra);
    const bool expanded = wizard.Expanded(tree, extra);
    wizard.Click(IDC_ITEMS_DETAILS);
    EXPECT_TRUE(WaitUntil([&] { return wizard.Expanded(tree, extra) != expanded; }));
}

// Types name into the create-folder dialog that the browser's button opens and confirms it.
void MakeFolder(CWizardPilot& wizard, HWND browser, const std::string& name) {
    PostMessageA(GetDlgItem(browser, IDC_MAKE_FOLDER), BM_CLICK, 0, 0);
    HWND ask = wizard.WaitForDialog(IDC_FOLDER_NAME);
    ASSERT_NE(ask, nullptr);
    SendMessageA(GetDlgItem(ask, IDC_FOLDER_NAME), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(Sjis(name).c_str()));
    PostMessageA(GetDlgItem(ask, IDOK), BM_CLICK, 0, 0);
}

// Opens the browser of button, titled title; the browser's tree.
HWND OpenBrowser(CWizardPilot& wizard, int button, const char* title, HWND* browser) {
    wizard.Click(button);
    *browser = wizard.WaitForDialog(IDC_FOLDER_TREE);
    if (*browser == nullptr)
        return nullptr;
    char caption[64] = {};
    GetWindowTextA(*browser, caption, sizeof caption);
    EXPECT_EQ(Utf8(caption), title);
    return GetDlgItem(*browser, IDC_FOLDER_TREE);
}

void CloseBrowser(HWND browser, int button) {
    PostMessageA(GetDlgItem(browser, button), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
}

// The folder browser opens at the deepest existing part of the folder and lists a folder's
// folders once it is opened; a name with a forbidden character is refused. The group browser is
// rooted at the programs folder.
void CheckDestination(CWizardPilot& wizard) {
    EXPECT_EQ(wizard.Text(IDC_DEST_FOLDER), ProgramFiles() + "\\FullTest\\App");
    EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "試験会社");
    HWND browser = nullptr;
    HWND tree = OpenBrowser(wizard, IDC_DEST_FOLDER_CHANGE, "フォルダの参照", &browser);
    ASSERT_NE(tree, nullptr);
    HTREEITEM programFiles = wizard.Selected(tree);
    EXPECT_EQ(wizard.Item(tree, programFiles).text, "Program Files");
    auto drive = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(programFiles)));
    HTREEITEM windows = wizard.Find(tree, drive, "windows");
    ASSERT_NE(windows, nullptr);
    EXPECT_TRUE(wizard.Children(tree, windows).empty()) << "listed before it was opened";
    PostMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(windows));
    EXPECT_TRUE(WaitUntil([&] { return wizard.Find(tree, windows, "system32") != nullptr; }));
    wizard.Select(tree, programFiles);
    MakeFolder(wizard, browser, "a|b");
    EXPECT_EQ(Utf8(wizard.AnswerBox().text), "次の文字を含むことは出来ません\r\n\\/:,;*?\"<>|");
    wizard.boxes.clear();
    EXPECT_TRUE(WaitUntil([&] { return wizard.WaitForDialog(IDC_FOLDER_NAME, 0) == nullptr; }));
    CloseBrowser(browser, IDCANCEL);

    tree = OpenBrowser(wizard, IDC_DEST_GROUP_CHANGE, "メニューの参照", &browser);
    ASSERT_NE(tree, nullptr);
    std::vector<STreeItem> roots = wizard.Children(tree, nullptr);
    ASSERT_EQ(roots.size(), 1u) << "rooted at the programs folder";
    EXPECT_EQ(wizard.Selected(tree), roots[0].item);
    CloseBrowser(browser, IDCANCEL);
    EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "試験会社");
}

TEST(WizardScenarios, ACancelledWizardChangesNothingOnAnyPage) {
    TempDir dir;
    const std::string setup = BuildWizardPackage(dir, "full", kFullManifest);
    ASSERT_FALSE(setup.empty());
    const MachineSnapshot before = Machine(dir);
    const std::vector<std::string> pages = {"warning", "licence", "mode", "items", "dest", "start"};
    for (std::size_t last = 0; last < pages.size(); ++last) {
        // Each run goes one page further, checks that page, and is cancelled there.
        CWizardPilot wizard(Quoted(setup));
        // Should the program end before its wizard shows, what it said and how it ended.
        ASSERT_TRUE(wizard.WaitForSheet())
            << testing::PrintToString(Texts(wizard.boxes)) << " started "
            << (wizard.process != nullptr) << " exit " << wizard.WaitForExit();
        EXPECT_EQ(Utf8(wizard.Caption()), "全頁試験 セットアップ");
        for (std::size_t at = 0; at < last; ++at) {
            ASSERT_EQ(wizard.PageName(), pages[at]);
            if (pages[at] == "licence")
                wizard.Click(IDC_AGREE);
            if (pages[at] == "mode")
                wizard.Click(IDC_MODE_CUSTOM);
            ASSERT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
            ASSERT_TRUE(wizard.Next(pages[at + 1]));
        }
        const std::string& page = pages[last];
        if (page == "warning")
            EXPECT_EQ(Utf8(wizard.Text(IDC_WARNING_TEXT)), "注意事項です。");
        else if (page == "licence")
            CheckLicence(wizard);
        else if (page == "mode")
            CheckMode(wizard);
        else if (page == "items")
            CheckItems(wizard);
        else if (page == "dest")
            CheckDestination(wizard);
        else
            EXPECT_EQ(Utf8(wizard.Text(IDC_START_TEXT)),
                      "全頁試験 をインストールします。[次へ] をクリックすると開始します。");
        wizard.PressSheetButton(IDCANCEL);
        EXPECT_EQ(wizard.WaitForExit(), 0) << page;
        EXPECT_EQ(Texts(wizard.boxes), Texts_{}) << page;
    }
    EXPECT_EQ(Changes(before, Machine(dir)), "");
}

TEST(WizardScenarios, FolderFilesAndGroupWithTrailBytes5CAnd7C) {
    TempDir dir;
    // 表, ソ and 能 end in the byte of "\\", ポ in the byte of "|".
    const std::string setup = BuildWizardPackage(dir, "dbcs", R"(
[product]
name = "表示試験"
publisher = "表示会社"
[install]
folder = '64\DbcsTest'
uninstall_key = "QuorvaneDbcs"
pages = ["dest_folder", "dest_group", "start", "progress", "finish"]
[[component]]
name = "本体"
  [[component.files]]
  source = "app.txt"
  name = "表示ポ.txt"
  shortcut = { name = "能力ポ", desktop = true, program_menu = true }
  [[component.files]]
  source = "help.txt"
  dest = 'IF\ソフトポ'
  name = "能.txt"
)");
    ASSERT_FALSE(setup.empty());
    const MachineSnapshot before = Machine(dir);
    {
        CWizardPilot wizard(Quoted(setup));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_EQ(wizard.PageName(), "warning");
        ASSERT_TRUE(wizard.Next("dest"));
        // Both folders made in the browser, each selected once made.
        HWND browser = nullptr;
        HWND tree = OpenBrowser(wizard, IDC_DEST_FOLDER_CHANGE, "フォルダの参照", &browser);
        ASSERT_NE(tree, nullptr);
        for (const char* folder : {"表示ソフト", "能力"}) {
            MakeFolder(wizard, browser, folder);
            EXPECT_TRUE(WaitUntil(
                [&] { return wizard.Item(tree, wizard.Selected(tree)).text == Sjis(folder); }));
        }
        CloseBrowser(browser, IDOK);
        EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_FOLDER)), "C:\\Program Files\\表示ソフト\\能力");
        tree = OpenBrowser(wizard, IDC_DEST_GROUP_CHANGE, "メニューの参照", &browser);
        ASSERT_NE(tree, nullptr);
        MakeFolder(wizard, browser, "ポイント表示");
        EXPECT_TRUE(WaitUntil(
            [&] { return wizard.Item(tree, wizard.Selected(tree)).text == Sjis("ポイント表示"); }));
        CloseBrowser(browser, IDOK);
        EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "ポイント表示");
        ASSERT_TRUE(wizard.Next("start"));
        RunToTheEnd(wizard, "インストール完了。");
    }
    const std::string folder = "C:\\Program Files\\表示ソフト\\";
    const std::string group =
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\ポイント表示\\";
    EXPECT_EQ(Changes(before, Machine(dir)),
              kUninstallerCopied + kCounted +
                  Lines("+", folder,
                        {"", "能力\\", "能力\\Uninstall.dat", "能力\\ソフトポ\\",
                         "能力\\ソフトポ\\能.txt", "能力\\表示ポ.txt"}) +
                  Lines("+", group, {"", "能力ポ.lnk"}) +
                  "+ C:\\users\\Public\\Desktop\\能力ポ.lnk\n" +
                  UninstallKeyLines("+", "QuorvaneDbcs"));
    const std::string links = SCENARIO_LINKS;
    EXPECT_TRUE(CopyFileA(Sjis("C:\\users\\Public\\Desktop\\能力ポ.lnk").c_str(),
                          (links + "\\desktop.lnk").c_str(), FALSE));
    EXPECT_TRUE(CopyFileA((ProgramsFolder() + Sjis("\\ポイント表示\\能力ポ.lnk")).c_str(),
                          (links + "\\menu.lnk").c_str(), FALSE));

    UninstallThroughTheWizard("QuorvaneDbcs");
    EXPECT_EQ(Changes(before, Machine(dir)), kUninstallerCopied);
}

// Sets the last-write time of a file to a day in 2001.
void MakeOld(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME old = {0x0D5F8000u, 0x01C0D4A8u};
    SetFileTime(file, &old, &old, &old);
    CloseHandle(file);
}

TEST(WizardScenarios, AnInstallFailingAtADamagedEntryIsRolledBack) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "z.txt"})
        WriteWholeFile(dir.File(name), std::string("content of ") + name);
    const std::string product = R"(
[product]
name = "巻戻し試験"
[install]
folder = '64\RollbackTest'
uninstall_key = "QuorvaneRollback"
pages = ["progress"]
options = ["auto_install", "auto_uninstall"]
[[component]]
name = "本体"
files = [{ source = "a.txt", dest = 'IF\a' }, { source = "b.txt" })";
    const std::string setup = dir.File("rollback.exe"), good = dir.File("good.exe");
    ASSERT_TRUE(BuildSetup(dir.path(), product + ", { source = \"z.txt\" }]", setup));
    ASSERT_TRUE(BuildSetup(dir.path(), product + "]", good));
    // The last file's entry loses its codec chain.
    const std::string damaged = dir.File("damaged.exe");
    ASSERT_TRUE(WriteDamagedEntryCopy(setup, "IF\\z.txt", damaged));
    // An older b.txt stands where the run puts its own.
    const std::string folder = ProgramFiles() + "\\RollbackTest";
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteWholeFile(folder + "\\b.txt", "older b.txt");
    MakeOld(folder + "\\b.txt");
    const MachineSnapshot before = Machine(dir);
    const Texts_ failed = {"圧縮ファイルの展開に失敗しました。\r\n\r\n" + Utf8(folder) + "\\z.txt",
                           "セットアップに失敗しました。"};
    EXPECT_EQ(RunAlone(Quoted(damaged)), failed);
    // What the run made is gone; what it wrote over an older file keeps the new content.
    EXPECT_EQ(Changes(before, Machine(dir)), "~ C:\\Program Files\\RollbackTest\\b.txt\n");
    EXPECT_EQ(ReadWholeFile(folder + "\\b.txt"), "content of b.txt");

    // Failing over an earlier installation fails too, and leaves that installation as it was.
    EXPECT_EQ(RunAlone(Quoted(good)), Texts_{});
    const MachineSnapshot installed = Machine(dir);
    EXPECT_EQ(RunAlone(Quoted(damaged)), failed);
    EXPECT_EQ(Changes(installed, Machine(dir)), "");
    EXPECT_EQ(RunAlone(UninstallValue("QuorvaneRollback", "UninstallString")), Texts_{});
    RemoveTree(folder);
}

// A product of components "1 本体" (app.txt) and those in components, installed by itself.
std::string UpdateProduct(const std::string& options, const std::string& pages,
                          const std::string& components) {
    return "[product]\nname = \"更新試験\"\n[install]\nfolder = '64\\UpdateTest'\n"
           "uninstall_key = \"QuorvaneUpdate\"\npages = [" +
           pages + "]\noptions = [" + options +
           "]\n[[component]]\nname = \"1 本体\"\nfiles = [{ source = \"app.txt\" }]\n" + components;
}

std::string Component(const std::string& name, const std::string& file) {
    return "[[component]]\nname = \"" + name + "\"\nfiles = [{ source = \"" + file +
           "\", dest = 'IF\\" + file.substr(0, 3) + "' }]\n";
}

TEST(WizardScenarios, ReinstallWithAComponentAddedAndOneDroppedThenAnUpdate) {
    TempDir dir;
    WriteWholeFile(dir.File("old.txt"), "content of old.txt");
    WriteWholeFile(dir.File("new.txt"), "content of new.txt");
    const std::string first = BuildWizardPackage(
        dir, "first",
        UpdateProduct("\"auto_install\"", "\"progress\"", Component("2 旧機能", "old.txt")));
    const std::string second =
        BuildWizardPackage(dir, "second",
                           UpdateProduct("", "\"items\", \"start\", \"progress\", \"finish\"",
                                         Component("3 新機能", "new.txt")));
    ASSERT_FALSE(first.empty() || second.empty());
    // The update brings a newer app.txt.
    const std::string updateDir = dir.File("update");
    CreateDirectoryA(updateDir.c_str(), nullptr);
    WriteWholeFile(updateDir + "\\app.txt", "updated app.txt");
    const std::string update = dir.File("update.exe");
    ASSERT_TRUE(BuildSetup(
        updateDir, UpdateProduct("\"update\"", "\"start\", \"progress\", \"finish\"", ""), update));

    const MachineSnapshot before = Machine(dir);
    EXPECT_EQ(RunAlone(Quoted(first)), Texts_{});
    const MachineSnapshot firstDone = Machine(dir);
    const std::string folder = "C:\\Program Files\\UpdateTest\\";
    EXPECT_EQ(Changes(before, firstDone),
              kUninstallerCopied + kCounted +
                  Lines("+", folder, {"", "Uninstall.dat", "app.txt", "old\\", "old\\old.txt"}) +
                  UninstallKeyLines("+", "QuorvaneUpdate"));
    {
        CWizardPilot wizard(Quoted(second));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_TRUE(wizard.Next("items"));
        // The earlier choice comes up again; the new component is the user's to add.
        HWND tree = wizard.Control(IDC_ITEMS_TREE);
        EXPECT_EQ(Shape(wizard, tree), "1 本体=1 3 新機能=0 ");
        wizard.ClickImage(tree, wizard.Find(tree, nullptr, Sjis("3 新機能")));
        EXPECT_EQ(Shape(wizard, tree), "1 本体=1 3 新機能=1 ");
        ASSERT_TRUE(wizard.Next("start"));
        RunToTheEnd(wizard, "インストール完了。");
    }
    const MachineSnapshot secondDone = Machine(dir);
    // The dropped component's file stays, and stays recorded: the clean-up after a re-install
    // removes only folders and keys that nothing holds, uninstalling removes the rest. The second
    // package's app.txt is newer (its source was written again).
    EXPECT_EQ(Changes(firstDone, secondDone), Lines("~", folder, {"Uninstall.dat", "app.txt"}) +
                                                  kUninstallerCopied +
                                                  Lines("+", folder, {"new\\", "new\\new.txt"}));
    {
        CWizardPilot wizard(Quoted(update));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_TRUE(wizard.Next("start"));
        RunToTheEnd(wizard, "インストール完了。");
    }
    const MachineSnapshot updated = Machine(dir);
    EXPECT_EQ(Changes(secondDone, updated),
              Lines("~", folder, {"Uninstall.dat", "app.txt"}) + kUninstallerCopied);
    EXPECT_EQ(ReadWholeFile(ProgramFiles() + "\\UpdateTest\\app.txt"), "updated app.txt");
    EXPECT_EQ(ProductCount(), 1);
    {
        // The uninstall wizard cancelled on its only page before the run.
        CWizardPilot wizard(UninstallValue("QuorvaneUpdate", "UninstallString"));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_EQ(wizard.PageName(), "start");
        wizard.PressSheetButton(IDCANCEL);
        EXPECT_EQ(wizard.WaitForExit(), 0);
    }
    EXPECT_EQ(Changes(updated, Machine(dir)), "");

    UninstallThroughTheWizard("QuorvaneUpdate");
    EXPECT_EQ(Changes(before, Machine(dir)), kUninstallerCopied);
    // Without the product the update finds nothing to update.
    EXPECT_EQ(RunAlone(Quoted(update)),
              (Texts_{"アップデートするソフトウェアが見つかりません。", kInitFailed}));
    EXPECT_EQ(Changes(before, Machine(dir)), kUninstallerCopied);
}

// What the wizard refuses and which pages it shows in which order.

// A product of one component installed into 64\Rules\<folder>.
std::string Manifest(const std::string& name, const std::string& key, const std::string& folder,
                     const std::string& pages, const std::string& options,
                     const std::string& publisher = "規則会社") {
    return "[product]\nname = \"" + name + "\"\npublisher = \"" + publisher +
           "\"\n\n[install]\nfolder = '64\\Rules\\" + folder + "'\nuninstall_key = \"" + key +
           "\"\npages = [" + pages + "]\noptions = [" + options +
           "]\n\n[[component]]\nname = \"本体\"\n  [[component.files]]\n  source = "
           "\"app.txt\"\n";
}

std::string RulesFolder(const std::string& folder) {
    return ProgramFiles() + "\\Rules\\" + folder;
}

TEST(WizardRules, RefusalsComeBeforeMessage2AndInstallNothing) {
    TempDir dir;
    // Installed and uninstalled without a single click: the automatic modes.
    const std::string base =
        BuildWizardPackage(dir, "base",
                           Manifest("規則試験", "QuorvaneRules", "Base", "\"progress\"",
                                    "\"auto_install\", \"auto_uninstall\""));
    ASSERT_FALSE(base.empty());
    const long count = ProductCount() < 0 ? 0 : ProductCount();
    EXPECT_EQ(RunAlone(Quoted(base)), Texts_{});
    ASSERT_TRUE(Exists(RulesFolder("Base") + "\\app.txt"));
    EXPECT_EQ(ProductCount(), count + 1);

    struct Refused {
        const char* name;
        const char* folder;
        const char* options;
        const char* message;
    };
    const Refused cases[] = {
        // Over the installed product: 30 before 29 before 26.
        {"規則試験", "NoUninstall", "\"no_uninstall\"",
         "このソフトウェアは、追加インストールをサポートしていません。"},
        {"別の製品", "OtherAndNoUninstall", "\"no_uninstall\", \"single_instance\"",
         "このソフトウェアは、追加インストールをサポートしていません。"},
        {"別の製品", "Other", "\"single_instance\"",
         "そのフォルダには、既に他のアプリケーションがインストールされています。"},
        {"規則試験", "Single", "\"single_instance\"",
         "このプログラムは、既にインストールされています。"},
    };
    for (const Refused& refused : cases) {
        const std::string setup =
            BuildWizardPackage(dir, refused.folder,
                               Manifest(refused.name, "QuorvaneRules", refused.folder,
                                        "\"progress\"", refused.options));
        ASSERT_FALSE(setup.empty()) << refused.folder;
        EXPECT_EQ(RunAlone(Quoted(setup)), (Texts_{refused.message, kInitFailed}))
            << refused.folder;
        EXPECT_FALSE(Exists(RulesFolder(refused.folder))) << refused.folder;
    }
    EXPECT_EQ(RunAlone(Quoted(base) + " /U \"C:\\nothing\\here.dat\""),
              (Texts_{"セットアップに必要なファイルを開くことができませんでした。", kInitFailed}));

    // The pending-deletion list is the lock: a second setup while a wizard is open, and a list
    // of 1 MiB that only a restart empties, are refused; one byte less passes.
    const std::string lockSetup = BuildWizardPackage(
        dir, "lock", Manifest("施錠試験", "QuorvaneLock", "Lock", "\"start\", \"progress\"", ""));
    {
        CWizardPilot first(Quoted(lockSetup));
        ASSERT_TRUE(first.WaitForSheet());
        EXPECT_EQ(
            RunAlone(Quoted(lockSetup)),
            (Texts_{"インストール中、もしくはアンインストール中、もしくはセットアップに必要なファ"
                    "イルが使用中です。",
                    kInitFailed}));
        first.PressSheetButton(IDCANCEL);
        EXPECT_EQ(first.WaitForExit(), 0);
    }
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string list = std::string(windows) + "\\UninsDat200_Mivax_Res.dat";
    const std::string kept = ReadWholeFile(list);
    ASSERT_TRUE(WriteWholeFile(list, std::string(0x100000, 'x')));
    EXPECT_EQ(RunAlone(Quoted(lockSetup)),
              (Texts_{"一度再起動をして再度実行して下さい。", kInitFailed}));
    ASSERT_TRUE(WriteWholeFile(list, std::string(0xFFFFF, 'x')));
    {
        CWizardPilot wizard(Quoted(lockSetup));
        EXPECT_TRUE(wizard.WaitForSheet());
        wizard.PressSheetButton(IDCANCEL);
        EXPECT_EQ(wizard.WaitForExit(), 0);
        EXPECT_EQ(Texts(wizard.boxes), Texts_{});
    }
    WriteWholeFile(list, kept);
    EXPECT_EQ(ProductCount(), count + 1) << "nothing refused was counted";

    EXPECT_EQ(RunAlone(UninstallValue("QuorvaneRules", "UninstallString")), Texts_{});
    EXPECT_FALSE(Exists(RulesFolder("Base")));
    EXPECT_EQ(ProductCount(), count);
}

TEST(WizardRules, PageListsFollowTheSetupInformationAndTheModePage) {
    TempDir dir;
    const long count = ProductCount() < 0 ? 0 : ProductCount();
    {
        // Only the finish page asked for: warning and progress are always there.
        const std::string setup = BuildWizardPackage(
            dir, "finish",
            Manifest("終了試験", "QuorvaneFinishOnly", "FinishOnly", "\"finish\"", ""));
        CWizardPilot wizard(Quoted(setup));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_EQ(wizard.PageName(), "warning");
        EXPECT_EQ(wizard.PageCount(), 3);
        ASSERT_TRUE(wizard.Next("progress"));
        EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
        ASSERT_TRUE(wizard.Next("finish"));
        // Closed from its title bar instead of Finish: the product is installed all the same
        // and counted.
        PostMessageA(wizard.sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(wizard.WaitForExit(), 0);
        EXPECT_EQ(Texts(wizard.boxes), Texts_{});
    }
    EXPECT_EQ(ProductCount(), count + 1);
    UninstallThroughTheWizard("QuorvaneFinishOnly");
    EXPECT_FALSE(Exists(RulesFolder("FinishOnly")));
    EXPECT_EQ(ProductCount(), count);

    // Back from the start page to the mode page, whose choice of custom brings the item and
    // destination pages; the destination page offers only what the package lets the user change.
    const std::string modes = BuildWizardPackage(
        dir, "modes",
        Manifest("方式試験", "QuorvaneModes", "Modes",
                 "\"mode\", \"items\", \"dest_folder\", \"start\", \"progress\", \"finish\"", ""));
    {
        CWizardPilot wizard(Quoted(modes));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_TRUE(wizard.Next("mode"));
        EXPECT_EQ(wizard.PageCount(), 5);
        ASSERT_TRUE(wizard.Next("start"));
        wizard.PressSheetButton(kBack);
        ASSERT_TRUE(wizard.WaitForPage("mode"));
        wizard.Click(IDC_MODE_CUSTOM);
        EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 7; }));
        ASSERT_TRUE(wizard.Next("items"));
        ASSERT_TRUE(wizard.Next("dest"));
        EXPECT_TRUE(wizard.Enabled(IDC_DEST_FOLDER_CHANGE));
        EXPECT_FALSE(wizard.Enabled(IDC_DEST_GROUP_CHANGE));
        wizard.PressSheetButton(IDCANCEL);
        EXPECT_EQ(wizard.WaitForExit(), 0);
    }

    // Only the group may be changed; a group path of 260 bytes ends the wizard.
    const std::string group = BuildWizardPackage(
        dir, "group",
        Manifest("群試験", "QuorvaneGroup", "Group", "\"dest_group\", \"start\", \"progress\"", "",
                 std::string(210, 'g')));
    ASSERT_FALSE(group.empty());
    CWizardPilot wizard(Quoted(group));
    ASSERT_TRUE(wizard.WaitForSheet());
    ASSERT_TRUE(wizard.Next("dest"));
    EXPECT_FALSE(wizard.Enabled(IDC_DEST_FOLDER_CHANGE));
    EXPECT_TRUE(wizard.Enabled(IDC_DEST_GROUP_CHANGE));
    wizard.Click(IDC_DEST_GROUP_CHANGE);
    EXPECT_EQ(wizard.WaitForExit(), 0);
    EXPECT_EQ(Texts(wizard.boxes), Texts_{"インストール先のファイル名が長すぎます。"});
    EXPECT_EQ(ProductCount(), count);
}

}  // namespace
