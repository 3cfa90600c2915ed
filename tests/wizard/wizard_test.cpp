// The wizard as a user meets it: setup.exe built around small packages, started as a child
// process and driven through its windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resources/wizard_ids.h"
#include "tests/install/install_harness.h"
#include "tests/support/temp_dir.h"
#include "tests/wizard/wizard_pilot.h"

namespace {

constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

// A product with every page and two component groups.
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

std::string BuildPackage(const TempDir& dir, const std::string& manifest) {
    for (const char* name : {"app.txt", "help.txt", "sample.txt"})
        WriteWholeFile(dir.File(name), std::string("content of ") + name);
    std::string setup = dir.File("setup.exe");
    EXPECT_TRUE(BuildSetup(dir.path(), manifest, setup));
    return setup;
}

TEST(Wizard, CustomInstall) {
    TempDir dir;
    std::string setup = BuildPackage(dir, kFullManifest);
    CWizardPilot wizard("\"" + setup + "\"");
    ASSERT_TRUE(wizard.WaitForSheet());
    EXPECT_EQ(Utf8(wizard.Caption()), "ウィザード試験 セットアップ");
    ASSERT_EQ(wizard.PageName(), "warning");
    EXPECT_EQ(Utf8(wizard.Text(IDC_WARNING_TEXT)), "注意事項です。");
    ASSERT_TRUE(wizard.Next("licence"));
    EXPECT_FALSE(wizard.SheetButtonEnabled(kNext));
    wizard.Click(IDC_AGREE);
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    ASSERT_TRUE(wizard.Next("mode"));
    int standard = wizard.PageCount();
    wizard.Click(IDC_MODE_CUSTOM);
    EXPECT_TRUE(WaitUntil([&] { return wizard.PageCount() == standard + 2; }));
    ASSERT_TRUE(wizard.Next("items"));
    ASSERT_TRUE(wizard.Next("dest"));
    std::printf("folder %s group %s\n", Utf8(wizard.Text(IDC_DEST_FOLDER)).c_str(),
                Utf8(wizard.Text(IDC_DEST_GROUP)).c_str());
    ASSERT_TRUE(wizard.Next("start"));
    ASSERT_TRUE(wizard.Next("progress"));
    ASSERT_TRUE(wizard.WaitForPage("progress"));
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    ASSERT_TRUE(wizard.Next("finish"));
    wizard.PressSheetButton(kFinish);
    EXPECT_EQ(wizard.WaitForExit(), 0);
    for (auto& box : wizard.boxes)
        std::printf("box: %s\n", Utf8(box.text).c_str());
}

}  // namespace
