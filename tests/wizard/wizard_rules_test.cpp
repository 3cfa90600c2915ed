// What the wizard refuses and which pages it shows in which order: each a run of the real
// setup.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/wizard_ids.h"
#include "tests/install/install_harness.h"
#include "tests/wizard/wizard_pilot.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

const char kInitFailed[] = "初期化に失敗しました。";

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
    {
        // Its uninstall: start, progress, finish.
        CWizardPilot wizard(UninstallValue("QuorvaneFinishOnly", "UninstallString"));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_EQ(wizard.PageName(), "start");
        EXPECT_EQ(wizard.PageCount(), 3);
        ASSERT_TRUE(wizard.Next("progress"));
        EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
        ASSERT_TRUE(wizard.Next("finish"));
        wizard.PressSheetButton(kFinish);
        EXPECT_EQ(wizard.WaitForExit(), 0);
    }
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
