// What users of one machine live through with the real setup.exe, its wizard driven through
// Win32 messages and its packages built by setupkit.exe: each scenario is judged by what it
// changes on the whole machine, in a Wine prefix of the test program's own. The scenarios run in
// the order written: the first install brings the shared uninstaller, which later ones find.
// Behind the scenarios, the wizard's refusals and fixed pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "resources/install_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

const char kInitFailed[] = "初期化に失敗しました。";
const char kNoAdding[] = "このソフトウェアは、追加インストールをサポートしていません。";

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

TEST(WizardScenarios, AutoModesAndTheRefusalsOverAnInstalledProduct) {
    TempDir dir;
    const std::string setup = BuildWizardPackage(
        dir, "auto",
        Product("自動試験", "QuorvaneAuto", "AutoTest", "progress", "auto_install auto_uninstall",
                "{ source = \"app.txt\", shortcut = { name = \"自動アプリ\", desktop = true } }, "
                "{ source = \"help.txt\", dest = 'IF\\help' }"));
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
    EXPECT_EQ(ProductCount(), 1);
    const std::string uninstall = UninstallValue("QuorvaneAuto", "UninstallString");
    EXPECT_EQ(uninstall,
              "\"C:\\windows\\UninsDat200_Mivax.exe\" /U "
              "\"C:\\Program Files\\AutoTest\\Uninstall.dat\"");

    // Over the installed product, refused before message 2, installing and counting nothing
    // (the last comparison shows): 30 before 29 before 26.
    const char* const refusals[][4] = {
        {"自動試験", "NoUninstall", "no_uninstall", kNoAdding},
        {"別の製品", "OtherAndNoUninstall", "no_uninstall single_instance", kNoAdding},
        {"別の製品", "Other", "single_instance",
         "そのフォルダには、既に他のアプリケーションがインストールされています。"},
        {"自動試験", "Single", "single_instance",
         "このプログラムは、既にインストールされています。"},
    };
    for (const auto& [name, folder, options, message] : refusals) {
        const std::string other = BuildWizardPackage(
            dir, folder, Product(name, "QuorvaneAuto", folder, "progress", options));
        EXPECT_EQ(RunAlone(Quoted(other)), (Texts_{message, kInitFailed})) << folder;
    }

    EXPECT_EQ(RunAlone(Quoted(setup) + " /U \"C:\\nothing\\here.dat\""),
              (Texts_{"セットアップに必要なファイルを開くことができませんでした。", kInitFailed}));

    // The pending-deletion list is the lock: a second setup while a wizard is open, and a list
    // of 1 MiB that only a restart empties, are refused.
    const std::string lock = Quoted(BuildWizardPackage(
        dir, "lock", Product("施錠試験", "QuorvaneLock", "Lock", "start progress")));
    {
        CWizardPilot first(lock);
        ASSERT_TRUE(first.WaitForSheet());
        EXPECT_EQ(
            RunAlone(lock),
            (Texts_{"インストール中、もしくはアンインストール中、もしくはセットアップに必要なファ"
                    "イルが使用中です。",
                    kInitFailed}));
        first.PressSheetButton(IDCANCEL);
        EXPECT_EQ(first.WaitForExit(), 0);
    }
    const std::string list = WindowsFolder() + "\\UninsDat200_Mivax_Res.dat";
    const std::string kept = ReadWholeFile(list);
    ASSERT_TRUE(WriteWholeFile(list, std::string(0x100000, 'x')));
    EXPECT_EQ(RunAlone(lock), (Texts_{"一度再起動をして再度実行して下さい。", kInitFailed}));
    WriteWholeFile(list, kept);

    EXPECT_EQ(RunAlone(uninstall), Texts_{});
    // The shared part stays until the next restart, which deletes the list and, with no product
    // left, the uninstaller; the count stays at 0.
    EXPECT_EQ(Changes(before, Machine(dir)), shared + count);
    EXPECT_EQ(ProductCount(), 0);
}

// The texts and images of a tree's items, depth first: "name=image"; the items by their texts
// (UTF-8) in *items.
std::string Shape(CWizardPilot& wizard, HWND tree, HTREEITEM parent = nullptr,
                  std::map<std::string, HTREEITEM>* items = nullptr) {
    std::string shape;
    for (const STreeItem& item : wizard.Children(tree, parent)) {
        if (items != nullptr)
            (*items)[Utf8(item.text)] = item.item;
        shape += Utf8(item.text) + "=" + std::to_string(item.image) + " " +
                 Shape(wizard, tree, item.item, items);
    }
    return shape;
}

// Components in three levels: a group is checked exactly when every leaf below it is; a click
// on a checked group unchecks its leaves, on a partly checked one checks the rest.
void CheckItems(CWizardPilot& wizard) {
    HWND tree = wizard.Control(IDC_ITEMS_TREE);
    ASSERT_NE(tree, nullptr);
    const std::string all = "1 本体=1 2 追加=1 サンプル=1 例A=1 例B=1 ヘルプ=1 ";
    std::map<std::string, HTREEITEM> items;
    EXPECT_EQ(Shape(wizard, tree, nullptr, &items), all);
    wizard.Select(tree, items["ヘルプ"]);
    EXPECT_TRUE(WaitUntil(
        [&] { return Utf8(wizard.Text(IDC_ITEMS_DESCRIPTION)) == "ヘルプの説明です。"; }));
    auto shows = [&](const std::string& shape) {
        return WaitUntil([&] { return Shape(wizard, tree) == shape; });
    };
    wizard.Click(IDC_ITEMS_CLEAR_ALL);
    EXPECT_TRUE(shows("1 本体=0 2 追加=0 サンプル=0 例A=0 例B=0 ヘルプ=0 "));
    wizard.Click(IDC_ITEMS_SELECT_ALL);
    EXPECT_TRUE(shows(all));
    // The image clicked, the shape after.
    const char* const clicks[][2] = {
        {"例B", "1 本体=1 2 追加=2 サンプル=2 例A=1 例B=0 ヘルプ=1 "},
        {"2 追加", all.c_str()},
        {"サンプル", "1 本体=1 2 追加=2 サンプル=0 例A=0 例B=0 ヘルプ=1 "},
        {"例A", "1 本体=1 2 追加=2 サンプル=2 例A=1 例B=0 ヘルプ=1 "},
        {"例B", all.c_str()},
    };
    for (const auto& [name, shape] : clicks) {
        wizard.ClickImage(tree, items[name]);
        EXPECT_TRUE(shows(shape)) << name;
    }
}

// Opens the browser of button and checks its title; the browser's tree, the browser in *browser.
HWND OpenBrowser(CWizardPilot& wizard, int button, const char* title, HWND* browser) {
    *browser = wizard.OpenDialog(button, IDC_FOLDER_TREE);
    EXPECT_EQ(Utf8(WindowText(*browser)), title);
    return GetDlgItem(*browser, IDC_FOLDER_TREE);
}

// The folder browser opens at the deepest existing part of the folder and lists a folder's
// folders when it is opened; a name with a forbidden character is refused.
void CheckDestination(CWizardPilot& wizard) {
    EXPECT_EQ(wizard.Text(IDC_DEST_FOLDER), ProgramFiles() + "\\FullTest\\App");
    EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "試験会社");
    HWND browser = nullptr;
    HWND tree = OpenBrowser(wizard, IDC_DEST_FOLDER_CHANGE, "フォルダの参照", &browser);
    ASSERT_NE(tree, nullptr);
    HTREEITEM programFiles = wizard.Selected(tree);
    EXPECT_EQ(wizard.Item(tree, programFiles).text, "Program Files");
    auto drive = reinterpret_cast<HTREEITEM>(
        Ask(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(programFiles)));
    HTREEITEM windows = wizard.Find(tree, drive, "windows");
    PostMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(windows));
    EXPECT_TRUE(WaitUntil([&] { return wizard.Find(tree, windows, "system32") != nullptr; }));
    Press(wizard.TypeNewFolder(browser, "a|b"), IDOK);
    EXPECT_EQ(Utf8(wizard.AnswerBox().text), "次の文字を含むことは出来ません\r\n\\/:,;*?\"<>|");
    wizard.boxes.clear();
    EXPECT_TRUE(WaitUntil([&] { return wizard.WaitForDialog(IDC_FOLDER_NAME, 0) == nullptr; }));
    EXPECT_TRUE(PressToClose(browser, IDCANCEL));
}

TEST(WizardScenarios, AWizardWalkedThroughEveryPageAndCancelledChangesNothing) {
    // Every page, components in three levels, a program-menu shortcut.
    TempDir dir;
    const std::string setup = BuildWizardPackage(dir, "full", R"(
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
files = [ { source = "app.txt", shortcut = { name = "試験アプリ", program_menu = true } } ]
[[component]]
name = "2 追加"
description = "追加の説明です。"
  [[component.component]]
  name = "ヘルプ"
  description = "ヘルプの説明です。"
  files = [ { source = "help.txt" } ]
  [[component.component]]
  name = "サンプル"
    [[component.component.component]]
    name = "例A"
    files = [ { source = "sample.txt" } ]
    [[component.component.component]]
    name = "例B"
    files = [ { source = "b.txt" } ]
)",
                                                 {{"b.txt", "content of b.txt"}});
    ASSERT_FALSE(setup.empty());
    const MachineSnapshot before = Machine(dir);
    // One run through every page, checking each, cancelled on the last before the install.
    CWizardPilot wizard(Quoted(setup));
    ASSERT_TRUE(wizard.WaitForSheet()) << testing::PrintToString(Texts(wizard.boxes));
    EXPECT_EQ(Utf8(wizard.Caption()), "全頁試験 セットアップ");
    ASSERT_EQ(wizard.PageName(), "warning");
    EXPECT_EQ(Utf8(wizard.Text(IDC_WARNING_TEXT)), "注意事項です。");
    ASSERT_TRUE(wizard.Next("licence"));
    EXPECT_EQ(Utf8(wizard.Text(IDC_LICENCE_TEXT)), "使用許諾の本文です。");
    EXPECT_FALSE(wizard.SheetButtonEnabled(kNext)) << "not agreed yet";
    wizard.Click(IDC_AGREE);
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    wizard.Click(IDC_DISAGREE);
    EXPECT_TRUE(WaitUntil([&] { return !wizard.SheetButtonEnabled(kNext); }));
    wizard.Click(IDC_AGREE);
    ASSERT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    ASSERT_TRUE(wizard.Next("mode"));
    // The pages behind the mode page follow the choice before Next is pressed.
    EXPECT_TRUE(wizard.Checked(IDC_MODE_STANDARD));
    EXPECT_EQ(wizard.PageCount(), 6);
    wizard.Click(IDC_MODE_CUSTOM);
    EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 8; }));
    wizard.Click(IDC_MODE_STANDARD);
    EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == 6; }));
    wizard.Click(IDC_MODE_CUSTOM);
    ASSERT_TRUE(WaitUntil([&] { return wizard.PageCount() == 8; }));
    ASSERT_TRUE(wizard.Next("items"));
    CheckItems(wizard);
    ASSERT_TRUE(wizard.Next("dest"));
    CheckDestination(wizard);
    ASSERT_TRUE(wizard.Next("start"));
    EXPECT_EQ(Utf8(wizard.Text(IDC_START_TEXT)),
              "全頁試験 をインストールします。[次へ] をクリックすると開始します。");
    wizard.PressSheetButton(IDCANCEL);
    EXPECT_EQ(wizard.WaitForExit(), 0);
    EXPECT_EQ(Texts(wizard.boxes), Texts_{});
    EXPECT_EQ(Changes(before, Machine(dir)), "");
}

TEST(WizardScenarios, FolderFilesAndGroupWithTrailBytes5CAnd7C) {
    TempDir dir;
    // 表, ソ and 能 end in the byte of "\\", ポ in the byte of "|".
    const std::string setup = BuildWizardPackage(
        dir, "dbcs",
        Product("表示試験", "QuorvaneDbcs", "DbcsTest",
                "dest_folder dest_group start progress finish", "",
                R"({ source = "app.txt", name = "表示ポ.txt", shortcut = { name = "能力ポ", )"
                R"(desktop = true, program_menu = true } }, )"
                R"({ source = "help.txt", dest = 'IF\ソフトポ', name = "能.txt" })",
                "表示会社"));
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
        for (const char* folder : {"表示ソフト", "能力"}) {
            Press(wizard.TypeNewFolder(browser, Sjis(folder)), IDOK);
            EXPECT_TRUE(WaitUntil(
                [&] { return wizard.Item(tree, wizard.Selected(tree)).text == Sjis(folder); }));
        }
        EXPECT_TRUE(PressToClose(browser, IDOK));
        EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_FOLDER)), "C:\\Program Files\\表示ソフト\\能力");
        tree = OpenBrowser(wizard, IDC_DEST_GROUP_CHANGE, "メニューの参照", &browser);
        Press(wizard.TypeNewFolder(browser, Sjis("ポイント表示")), IDOK);
        EXPECT_TRUE(WaitUntil(
            [&] { return wizard.Item(tree, wizard.Selected(tree)).text == Sjis("ポイント表示"); }));
        EXPECT_TRUE(PressToClose(browser, IDOK));
        EXPECT_EQ(Utf8(wizard.Text(IDC_DEST_GROUP)), "ポイント表示");
        ASSERT_TRUE(wizard.Next("start"));
        RunToTheEnd(wizard, "表示試験 セットアップ", "インストール完了。");
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
    EXPECT_TRUE(
        CopyFileA(Sjis(group + "能力ポ.lnk").c_str(), (links + "\\menu.lnk").c_str(), FALSE));

    Uninstall("QuorvaneDbcs", "表示試験");
    EXPECT_EQ(Changes(before, Machine(dir)), kUninstallerCopied);
}

TEST(WizardScenarios, AnInstallFailingAtADamagedEntryIsRolledBack) {
    TempDir dir;
    const std::string files = "{ source = \"app.txt\", dest = 'IF\\a' }, { source = \"help.txt\" }";
    auto build = [&](const char* name, const std::string& files) {
        return BuildWizardPackage(dir, name,
                                  Product("巻戻し試験", "QuorvaneRollback", "RollbackTest",
                                          "progress", "auto_install auto_uninstall", files));
    };
    // Built last, the good package holds the newer files.
    const std::string setup = build("rollback", files + ", { source = \"sample.txt\" }");
    const std::string good = build("good", files);
    ASSERT_FALSE(good.empty() || setup.empty());
    // The last file's entry loses its codec chain.
    const std::string damaged = dir.File("damaged.exe");
    ASSERT_TRUE(WriteDamagedEntryCopy(setup, "IF\\sample.txt", damaged));
    // An older help.txt stands where the run puts its own.
    const std::string folder = ProgramFiles() + "\\RollbackTest";
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteWholeFile(folder + "\\help.txt", "older help.txt");
    HANDLE older = CreateFileA((folder + "\\help.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    const FILETIME in2001 = {0x0D5F8000u, 0x01C0D4A8u};
    SetFileTime(older, &in2001, &in2001, &in2001);
    CloseHandle(older);
    const MachineSnapshot before = Machine(dir);
    const Texts_ failed = {
        "圧縮ファイルの展開に失敗しました。\r\n\r\n" + Utf8(folder) + "\\sample.txt",
        "セットアップに失敗しました。"};
    EXPECT_EQ(RunAlone(Quoted(damaged)), failed);
    // What the run made is gone; what it wrote over an older file keeps the new content.
    EXPECT_EQ(Changes(before, Machine(dir)), "~ C:\\Program Files\\RollbackTest\\help.txt\n");
    EXPECT_EQ(ReadWholeFile(folder + "\\help.txt"), "content of help.txt");

    // Failing over an earlier installation fails too, and leaves that installation as it was.
    EXPECT_EQ(RunAlone(Quoted(good)), Texts_{});
    const MachineSnapshot installed = Machine(dir);
    EXPECT_EQ(RunAlone(Quoted(damaged)), failed);
    EXPECT_EQ(Changes(installed, Machine(dir)), "");
    EXPECT_EQ(RunAlone(UninstallValue("QuorvaneRollback", "UninstallString")), Texts_{});
    RemoveTree(folder);
}

// A product of "本体" (app.txt) and the component name with the file source in IF\<its first
// three letters>.
std::string UpdateProduct(const std::string& pages, const std::string& options,
                          const std::string& name = "", const std::string& source = "") {
    return Product("更新試験", "QuorvaneUpdate", "UpdateTest", pages, options) +
           (name.empty() ? ""
                         : "[[component]]\nname = \"" + name + "\"\nfiles = [{ source = \"" +
                               source + "\", dest = 'IF\\" + source.substr(0, 3) + "' }]\n");
}

TEST(WizardScenarios, ReinstallWithAComponentAddedAndOneDroppedThenAnUpdate) {
    TempDir dir;
    const std::string first = BuildWizardPackage(
        dir, "first", UpdateProduct("progress", "auto_install", "2 旧機能", "old.txt"),
        {{"old.txt", "content of old.txt"}, {"new.txt", "content of new.txt"}});
    const std::string second = BuildWizardPackage(
        dir, "second", UpdateProduct("items start progress finish", "", "3 新機能", "new.txt"));
    // The update brings a newer app.txt.
    const std::string update =
        BuildWizardPackage(dir, "update", UpdateProduct("start progress finish", "update"),
                           {{"app.txt", "updated app.txt"}});
    ASSERT_FALSE(first.empty() || second.empty() || update.empty());

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
        EXPECT_EQ(Shape(wizard, tree), "3 新機能=0 本体=1 ");
        wizard.ClickImage(tree, wizard.Find(tree, nullptr, Sjis("3 新機能")));
        EXPECT_EQ(Shape(wizard, tree), "3 新機能=1 本体=1 ");
        RunToTheEnd(wizard, "更新試験 セットアップ", "インストール完了。");
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
        RunToTheEnd(wizard, "更新試験 セットアップ", "インストール完了。");
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

    Uninstall("QuorvaneUpdate", "更新試験");
    EXPECT_EQ(Changes(before, Machine(dir)), kUninstallerCopied);
    // Without the product the update finds nothing to update.
    EXPECT_EQ(RunAlone(Quoted(update)),
              (Texts_{"アップデートするソフトウェアが見つかりません。", kInitFailed}));
    EXPECT_EQ(Changes(before, Machine(dir)), kUninstallerCopied);
}

TEST(WizardRules, WarningAndProgressAlwaysComeAndATitleBarCloseFinishes) {
    TempDir dir;
    const long count = ProductCount() < 0 ? 0 : ProductCount();
    {
        // Only the finish page asked for: warning and progress are always there.
        CWizardPilot wizard(Quoted(BuildWizardPackage(
            dir, "finish", Product("終了試験", "QuorvaneFinishOnly", "FinishOnly", "finish"))));
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
}

}  // namespace
