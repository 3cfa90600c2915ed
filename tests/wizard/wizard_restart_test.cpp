// The restart the finish page offers. "Later" ends the wizard as usual; "now" makes the driver
// restart Windows, which under Wine ends every program of the prefix and runs its RunOnce
// entries: tests/wizard/restart-check runs this test in a prefix of its own and looks at what
// the restart did once this program has been ended by it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "resources/wizard_ids.h"
#include "tests/install/install_harness.h"
#include "tests/wizard/wizard_pilot.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

const char kManifest[] = R"(
[product]
name = "再起動試験"
[install]
folder = '64\Restart'
uninstall_key = "QuorvaneRestart"
pages = ["finish"]
options = ["restart_install"]
[[component]]
name = "本体"
  [[component.files]]
  source = "app.txt"
)";

// Runs the wizard to its finish page and checks the restart choice there.
void ToFinishPage(CWizardPilot& wizard) {
    ASSERT_TRUE(wizard.WaitForSheet());
    ASSERT_TRUE(wizard.Next("progress"));
    ASSERT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }));
    ASSERT_TRUE(wizard.Next("finish"));
    EXPECT_TRUE(wizard.Visible(IDC_RESTART_NOW));
    EXPECT_TRUE(wizard.Visible(IDC_RESTART_LATER));
    EXPECT_EQ(Utf8(wizard.Text(IDC_RESTART_NOW)), "今すぐコンピュータを再起動する");
    EXPECT_TRUE(wizard.Checked(IDC_RESTART_NOW)) << "restarting now is offered first";
}

TEST(WizardRestart, LaterEndsAsUsualAndNowRestarts) {
    TempDir dir;
    const std::string setup = BuildWizardPackage(dir, "restart", kManifest);
    ASSERT_FALSE(setup.empty());
    {
        CWizardPilot wizard(Quoted(setup));
        ToFinishPage(wizard);
        wizard.Click(IDC_RESTART_LATER);
        ASSERT_TRUE(WaitUntil([&] { return wizard.Checked(IDC_RESTART_LATER); }));
        wizard.PressSheetButton(kFinish);
        EXPECT_EQ(wizard.WaitForExit(), 0);
    }
    ASSERT_NE(RunOnceValue("UninsDat200_Mivax.exe"), "(none)");

    // Installed again, restarting now: this program does not outlive the restart.
    CWizardPilot wizard(Quoted(setup));
    ToFinishPage(wizard);
    std::printf("restart-check: restarting now\n");
    std::fflush(stdout);
    wizard.PressSheetButton(kFinish);
    Sleep(60000);
    ADD_FAILURE() << "no restart came";
}

}  // namespace
