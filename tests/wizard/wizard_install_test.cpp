// Installing, installing again and uninstalling through the real wizard: every page of a
// custom install, the folder browsers, the runs and what they leave in the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "resources/install_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"
#include "tests/install/install_harness.h"
#include "tests/wizard/wizard_pilot.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

const char kProductKey[] = "QuorvaneWizardTest";

// Every page, components in two levels, a program-menu shortcut.
const char kFullManifest[] = R"(
[product]
name = "ウィザード試験"
publisher = "試験会社"

[install]
folder = '64\WizardTest\App'
uninstall_key = "QuorvaneWizardTest"
data_file = "WizardTest.dat"
pages = ["warning", "licence", "mode", "items", "dest_folder", "dest_group", "start",
         "progress", "finish"]
options = ["reinstall_no_licence"]

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
    dest = 'IF\help'
  [[component.component]]
  name = "サンプル"
  description = "サンプルの説明です。"
    [[component.component.files]]
    source = "sample.txt"
)";

// The texts and images of a tree's items, depth first: "name=image".
std::string Shape(CWizardPilot& wizard, HWND tree, HTREEITEM parent = nullptr) {
    std::string shape;
    for (const STreeItem& item : wizard.Children(tree, parent)) {
        shape += Utf8(item.text) + "=" + std::to_string(item.image) + " ";
        shape += Shape(wizard, tree, item.item);
    }
    return shape;
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

void CheckItemsPage(CWizardPilot& wizard, bool reinstall) {
    HWND tree = wizard.Control(IDC_ITEMS_TREE);
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(wizard.Visible(IDC_ITEMS_TREE_PLACE));
    if (reinstall) {
        // What the earlier installation had comes up checked, the dropped sample does not.
        EXPECT_EQ(Shape(wizard, tree), "1 本体=1 2 追加=2 サンプル=0 ヘルプ=1 ");
        return;
    }
    EXPECT_EQ(Shape(wizard, tree), "1 本体=1 2 追加=1 サンプル=1 ヘルプ=1 ");
    HTREEITEM extra = wizard.Find(tree, nullptr, Sjis("2 追加"));
    wizard.Select(tree, extra);
    EXPECT_TRUE(
        WaitUntil([&] { return Utf8(wizard.Text(IDC_ITEMS_DESCRIPTION)) == "追加の説明です。"; }));
    wizard.Select(tree, wizard.Find(tree, extra, Sjis("ヘルプ")));
    EXPECT_TRUE(WaitUntil(
        [&] { return Utf8(wizard.Text(IDC_ITEMS_DESCRIPTION)) == "ヘルプの説明です。"; }));

    wizard.Click(IDC_ITEMS_CLEAR_ALL);
    EXPECT_TRUE(WaitUntil([&] {
        return Shape(wizard, tree) == "1 本体=0 2 追加=0 サンプル=0 ヘルプ=0 ";
    })) << Shape(wizard, tree);
    wizard.Click(IDC_ITEMS_SELECT_ALL);
    EXPECT_TRUE(WaitUntil([&] {
        return Shape(wizard, tree) == "1 本体=1 2 追加=1 サンプル=1 ヘルプ=1 ";
    })) << Shape(wizard, tree);
    wizard.ClickImage(tree, wizard.Find(tree, extra, Sjis("サンプル")));
    EXPECT_EQ(Shape(wizard, tree), "1 本体=1 2 追加=2 サンプル=0 ヘルプ=1 ");

    // Details opens and closes the selected group.
    wizard.Select(tree, extra);
    bool expanded = wizard.Expanded(tree, extra);
    wizard.Click(IDC_ITEMS_DETAILS);
    EXPECT_TRUE(WaitUntil([&] { return wizard.Expanded(tree, extra) != expanded; }));
}

// The folder browser: it opens at the install folder's deepest existing part, lists folders
// only when they are opened, refuses a forbidden name and makes one with 表 (trail byte 5C).
void ChooseFolder(CWizardPilot& wizard, const std::string& made) {
    wizard.Click(IDC_DEST_FOLDER_CHANGE);
    HWND browser = wizard.WaitForDialog(IDC_FOLDER_TREE);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(Utf8(wizard.Caption()), "ウィザード試験 セットアップ");
    char title[64] = {};
    GetWindowTextA(browser, title, sizeof title);
    EXPECT_EQ(Utf8(title), "フォルダの参照");
    HWND tree = GetDlgItem(browser, IDC_FOLDER_TREE);
    HTREEITEM programFiles = wizard.Selected(tree);
    ASSERT_NE(programFiles, nullptr);
    EXPECT_EQ(wizard.Item(tree, programFiles).text, "Program Files");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(browser, IDOK)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(browser, IDC_MAKE_FOLDER)));

    // The drive above it lists its folders; the Windows folder's own are listed once opened.
    auto driveItem = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(programFiles)));
    ASSERT_NE(driveItem, nullptr);
    EXPECT_GE(wizard.Children(tree, nullptr).size(), 1u);
    HTREEITEM windows = wizard.Find(tree, driveItem, "windows");
    ASSERT_NE(windows, nullptr);
    EXPECT_TRUE(wizard.Children(tree, windows).empty()) << "listed before it was opened";
    PostMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(windows));
    EXPECT_TRUE(WaitUntil([&] { return wizard.Find(tree, windows, "system32") != nullptr; }));

    wizard.Select(tree, programFiles);
    MakeFolder(wizard, browser, "a|b");
    SeenMessageBox refused = wizard.AnswerBox();
    EXPECT_EQ(Utf8(refused.text), "次の文字を含むことは出来ません\r\n\\/:,;*?\"<>|");
    EXPECT_EQ(Utf8(refused.caption), "エラー");
    EXPECT_TRUE(WaitUntil([&] { return wizard.WaitForDialog(IDC_FOLDER_NAME, 0) == nullptr; }));
    EXPECT_FALSE(Exists(ProgramFiles() + "\\a|b"));
    wizard.boxes.clear();

    MakeFolder(wizard, browser, made);
    EXPECT_TRUE(WaitUntil([&] {
        return wizard.Item(tree, wizard.Selected(tree)).text == Sjis(made);
    })) << "the new folder is selected";
    EXPECT_TRUE(Exists(ProgramFiles() + "\\" + Sjis(made)));
    PostMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
}

// The group browser, rooted at the programs folder; the new group's ポ ends in the byte 7C, the
// vertical bar, which a name may hold inside a double-byte character.
void ChooseGroup(CWizardPilot& wizard, const std::string& group) {
    wizard.Click(IDC_DEST_GROUP_CHANGE);
    HWND browser = wizard.WaitForDialog(IDC_FOLDER_TREE);
    ASSERT_NE(browser, nullptr);
    char title[64] = {};
    GetWindowTextA(browser, title, sizeof title);
    EXPECT_EQ(Utf8(title), "メニューの参照");
    HWND tree = GetDlgItem(browser, IDC_FOLDER_TREE);
    std::vector<STreeItem> roots = wizard.Children(tree, nullptr);
    ASSERT_EQ(roots.size(), 1u) << "rooted at the programs folder";
    EXPECT_EQ(wizard.Selected(tree), roots[0].item);
    MakeFolder(wizard, browser, group);
    EXPECT_TRUE(
        WaitUntil([&] { return wizard.Item(tree, wizard.Selected(tree)).text == Sjis(group); }));
    PostMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
}

// Start, progress and finish, the way both installs end.
void RunToTheEnd(CWizardPilot& wizard, const char* done, const char* finishText) {
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
    EXPECT_EQ(Utf8(wizard.Text(IDC_FINISH_TEXT)), finishText);
    EXPECT_FALSE(wizard.Visible(IDC_RESTART_NOW)) << "the package offers no restart";
    EXPECT_FALSE(wizard.Visible(IDC_RESTART_LATER));
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kFinish); }));
    EXPECT_FALSE(wizard.SheetButtonEnabled(IDCANCEL));
    wizard.PressSheetButton(kFinish);
    EXPECT_EQ(wizard.WaitForExit(), 0);
}

TEST(WizardInstall, EveryPageThenAgainThenUninstall) {
    TempDir dir;
    const std::string setup = BuildWizardPackage(dir, "full", kFullManifest);
    ASSERT_FALSE(setup.empty());
    const std::string folder = ProgramFiles() + "\\" + Sjis("表示");
    const std::string group = ProgramsFolder() + "\\" + Sjis("ポイント集");
    const long countBefore = ProductCount() < 0 ? 0 : ProductCount();
    {
        CWizardPilot wizard(Quoted(setup));
        ASSERT_TRUE(wizard.WaitForSheet());
        EXPECT_EQ(Utf8(wizard.Caption()), "ウィザード試験 セットアップ");
        ASSERT_EQ(wizard.PageName(), "warning");
        EXPECT_EQ(Utf8(wizard.Text(IDC_WARNING_TEXT)), "注意事項です。");
        EXPECT_TRUE(wizard.SheetButtonEnabled(kNext));

        ASSERT_TRUE(wizard.Next("licence"));
        EXPECT_EQ(Utf8(wizard.Text(IDC_LICENCE_TEXT)), "使用許諾の本文です。");
        EXPECT_FALSE(wizard.SheetButtonEnabled(kNext)) << "not agreed yet";
        wizard.Click(IDC_AGREE);
        EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
        wizard.Click(IDC_DISAGREE);
        EXPECT_TRUE(WaitUntil([&] { return !wizard.SheetButtonEnabled(kNext); }));
        wizard.Click(IDC_AGREE);
        EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));

        // The pages behind the mode page follow the choice before Next is pressed: the
        // custom list adds the item and destination pages.
        ASSERT_TRUE(wizard.Next("mode"));
        EXPECT_TRUE(wizard.Checked(IDC_MODE_STANDARD));
        EXPECT_EQ(Utf8(wizard.Text(IDC_MODE_CUSTOM)), "カスタムインストール");
        EXPECT_EQ(wizard.PageCount(), 6);
        wizard.Click(IDC_MODE_CUSTOM);
        EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 8; }));
        wizard.Click(IDC_MODE_STANDARD);
        EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 6; }));
        wizard.Click(IDC_MODE_CUSTOM);
        EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 8; }));

        ASSERT_TRUE(wizard.Next("items"));
        CheckItemsPage(wizard, false);

        ASSERT_TRUE(wizard.Next("dest"));
        EXPECT_EQ(wizard.Text(IDC_DEST_FOLDER), ProgramFiles() + "\\WizardTest\\App");
        EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "試験会社");
        EXPECT_TRUE(wizard.Enabled(IDC_DEST_FOLDER_CHANGE));
        EXPECT_TRUE(wizard.Enabled(IDC_DEST_GROUP_CHANGE));
        ChooseFolder(wizard, "表示");
        EXPECT_EQ(wizard.Text(IDC_DEST_FOLDER), folder);
        ChooseGroup(wizard, "ポイント集");
        EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "ポイント集");

        ASSERT_TRUE(wizard.Next("start"));
        EXPECT_EQ(Utf8(wizard.Text(IDC_START_TEXT)),
                  "ウィザード試験 をインストールします。[次へ] をクリックすると開始します。");
        RunToTheEnd(wizard, "インストール完了。", "ウィザード試験 のインストールが完了しました。");
        EXPECT_TRUE(wizard.boxes.empty()) << Texts(wizard.boxes).front();
    }
    EXPECT_EQ(ReadWholeFile(folder + "\\app.txt"), "content of app.txt");
    EXPECT_TRUE(Exists(folder + "\\help\\help.txt"));
    EXPECT_FALSE(Exists(folder + "\\sample.txt")) << "its component was unchecked";
    EXPECT_TRUE(Exists(group + "\\" + Sjis("試験アプリ.lnk")));
    EXPECT_EQ(UninstallValue(kProductKey, "UninstallDataFile"), folder + "\\WizardTest.dat");
    EXPECT_EQ(ProductCount(), countBefore + 1);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string restartDeletion =
        Quoted(std::string(windows) + "\\UninsDat200_Mivax.exe") + " /R";
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax.exe"), restartDeletion);

    {
        // Again: no licence, mode or destination page; the earlier folder and choices stay.
        CWizardPilot wizard(Quoted(setup));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_EQ(wizard.PageName(), "warning");
        ASSERT_TRUE(wizard.Next("items"));
        CheckItemsPage(wizard, true);
        ASSERT_TRUE(wizard.Next("start"));
        RunToTheEnd(wizard, "インストール完了。", "ウィザード試験 のインストールが完了しました。");
        EXPECT_TRUE(wizard.boxes.empty()) << Texts(wizard.boxes).front();
    }
    EXPECT_TRUE(Exists(folder + "\\app.txt"));
    EXPECT_FALSE(Exists(ProgramFiles() + "\\WizardTest"));
    EXPECT_TRUE(Exists(group + "\\" + Sjis("試験アプリ.lnk")));
    EXPECT_EQ(ProductCount(), countBefore + 1) << "the same product counts once";

    {
        // The command the system's list of programs runs.
        const std::string command = UninstallValue(kProductKey, "UninstallString");
        EXPECT_EQ(command, Quoted(std::string(windows) + "\\UninsDat200_Mivax.exe") + " /U " +
                               Quoted(folder + "\\WizardTest.dat"));
        CWizardPilot wizard(command);
        ASSERT_TRUE(wizard.WaitForSheet());
        EXPECT_EQ(Utf8(wizard.Caption()), "ウィザード試験 アンインストール");
        ASSERT_EQ(wizard.PageName(), "start");
        EXPECT_EQ(Utf8(wizard.Text(IDC_START_TEXT)),
                  "ウィザード試験 をアンインストールします。[次へ] をクリックすると開始します。");
        RunToTheEnd(wizard, "アンインストール完了。",
                    "ウィザード試験 のアンインストールが完了しました。");
        EXPECT_TRUE(wizard.boxes.empty()) << Texts(wizard.boxes).front();
    }
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(group));
    EXPECT_EQ(UninstallValue(kProductKey, "UninstallString"), "(none)");
    EXPECT_EQ(ProductCount(), countBefore);
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax.exe"), restartDeletion);
}

TEST(WizardInstall, WinesUninstallerListsTheProductAndRunsItsUninstaller) {
    TempDir dir;
    // No finish page: Finish on the progress page ends the wizard.
    const std::string setup = BuildWizardPackage(dir, "listed", R"(
[product]
name = "一覧試験"
[install]
folder = '64\Listed'
uninstall_key = "QuorvaneListed"
pages = ["progress"]
options = ["auto_install"]
[[component]]
name = "本体"
  [[component.files]]
  source = "app.txt"
)");
    ASSERT_FALSE(setup.empty());
    {
        CWizardPilot installer(Quoted(setup));
        EXPECT_EQ(installer.WaitForExit(), 0);
    }
    ASSERT_TRUE(Exists(ProgramFiles() + "\\Listed\\app.txt"));
    DWORD code = 0;
    EXPECT_NE(RunCaptured("uninstaller.exe --list", &code).find("QuorvaneListed|||"),
              std::string::npos);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION remover = {};
    char command[] = "uninstaller.exe --remove QuorvaneListed";
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &remover));
    {
        DWORD processId = FindWizardProcess(Sjis("一覧試験 アンインストール"));
        ASSERT_NE(processId, 0u);
        CWizardPilot wizard(processId);
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_EQ(wizard.PageName(), "start");
        ASSERT_TRUE(wizard.Next("progress"));
        EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kFinish); }));
        wizard.PressSheetButton(kFinish);
        EXPECT_EQ(wizard.WaitForExit(), 0);
    }
    EXPECT_EQ(WaitForSingleObject(remover.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(remover.hThread);
    CloseHandle(remover.hProcess);
    EXPECT_EQ(RunCaptured("uninstaller.exe --list", &code).find("QuorvaneListed|||"),
              std::string::npos);
    EXPECT_FALSE(Exists(ProgramFiles() + "\\Listed"));
}

}  // namespace
