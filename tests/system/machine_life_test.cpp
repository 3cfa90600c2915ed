// One Wine machine through the life of products: installs through the real wizard, uninstalls
// through Wine's own list of programs and the shared uninstaller, restarts through wineboot. Each
// scenario ends with a snapshot of the whole machine compared with the one taken before it
// began: everything that differs must be a line this file expects.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "resources/install_ids.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

using Sources = std::vector<std::pair<std::string, std::string>>;

std::string PendingList() {
    return WindowsFolder() + "\\UninsDat200_Mivax_Res.dat";
}

// wineboot -r: what Windows does at the next logon, RunOnce entries included, without ending
// this program.
void Restart() {
    DWORD code = 0;
    RunCaptured("wineboot.exe -r", &code);
    EXPECT_EQ(code, 0u);
}

// The restarts after the last product went. The first runs the /R entry: it empties the
// pending-deletion list and, no product being left, adds the entry of the batch that deletes
// the shared uninstaller. Wine runs that one at the second restart only: wineboot counts the
// RunOnce values once before it runs them. A third restart finds nothing to do.
void RestartUntilNothingIsLeft() {
    EXPECT_NE(RunOnceValue("UninsDat200_Mivax.exe"), "(none)");
    Restart();
    EXPECT_FALSE(Exists(PendingList()));
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax.exe"), "(none)");
    EXPECT_NE(RunOnceValue("UninsDat200_Mivax"), "(none)");
    Restart();
    EXPECT_FALSE(Exists(WindowsFolder() + "\\UninsDat200_Mivax.exe"));
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax"), "(none)");
    Restart();
}

// What the system leaves on purpose once every product is gone and the restarts have run, and
// was not there before: the keys above the shared uninstaller's count, which other products of
// the publisher may share, and Windows' own list of shared DLLs, which a fresh Wine lacks.
std::string LeftOnPurpose(const MachineSnapshot& before) {
    std::string lines;
    for (const char* key : {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\",
                            "HKLM\\Software\\Quorvane\\", "HKLM\\Software\\Quorvane\\UninsDat\\"}) {
        if (before.find(key) == before.end())
            lines += std::string("+ ") + key + "\n";
    }
    return lines;
}

long SharedCount(const std::string& dll) {
    return MachineDword("Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", dll);
}

HANDLE HoldWithoutSharing(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Four products: one with keys that its program writes into, two that share a DLL counted in
// SharedDLLs, one whose files are in use when it goes. Only the last keeps something: the file
// in use that it did not record for the restart.
TEST(MachineLife, ProductsComeAndGoAndTheRestartsLeaveTheMachineAsItWas) {
    TempDir dir;
    const std::string life = BuildWizardPackage(dir, "life", R"(
[product]
name = "暮らし試験"
publisher = "暮らし会社"
[install]
folder = '64\Kurashi\表示'
uninstall_key = "QvLife"
data_file = "Life.dat"
pages = ["start", "progress", "finish"]
[[component]]
name = "本体"
files = [
  { source = "app.txt", display_icon = true, shortcut = { name = "暮らし", desktop = true, program_menu = true } },
  { source = "help.txt", dest = 'IF\ヘルプ' },
]
registry = [ { key = 'CU\Software\QvLife' }, { key = 'LM\Software\QvLife', recursive = true } ]
)");
    auto sharing = [&](const std::string& product) {
        return BuildWizardPackage(
            dir, product,
            Product("製品" + product, "QvProduct" + product, "QvProduct" + product,
                    "start progress finish", "",
                    "{ source = \"app.txt\" }, { source = \"shared.dll\", dest = 'PD\\QvShared', "
                    "shared_dll = true }"),
            {{"shared.dll", "shared code"}});
    };
    const std::string a = sharing("A"), b = sharing("B");
    const std::string busy = BuildWizardPackage(
        dir, "busy",
        Product("使用中試験", "QvBusy", "QvBusy\\使用中", "start progress finish", "",
                "{ source = \"app.txt\" }, { source = \"help.txt\", dest = 'IF\\later', "
                "delete_at_restart = true }"));
    ASSERT_FALSE(life.empty() || a.empty() || b.empty() || busy.empty());
    char dll[MAX_PATH];
    ExpandEnvironmentStringsA("%ProgramData%\\QvShared\\shared.dll", dll, MAX_PATH);
    const MachineSnapshot before = Machine(dir);

    Install(life, "暮らし試験");
    // What the product's program writes into the keys its package records.
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\QvLife", "Setting", REG_SZ, "on", 3);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\QvLife\\Deeper", nullptr, REG_SZ, "x", 2);
    Install(a, "製品A");
    Install(b, "製品B");
    Install(busy, "使用中試験");
    EXPECT_EQ(SharedCount(dll), 2);
    EXPECT_EQ(ProductCount(), 4);

    Uninstall("QvLife", "暮らし試験");
    Uninstall("QvProductA", "製品A");
    EXPECT_EQ(ReadWholeFile(dll), "shared code");
    EXPECT_EQ(SharedCount(dll), 1);
    EXPECT_EQ(ReadWholeFile(ProgramFiles() + "\\QvProductB\\app.txt"), "content of app.txt");
    EXPECT_NE(UninstallValue("QvProductB", "UninstallDataFile"), "(none)");
    Uninstall("QvProductB", "製品B");
    EXPECT_EQ(ProductCount(), 1);
    EXPECT_TRUE(Exists(WindowsFolder() + "\\UninsDat200_Mivax.exe"));

    const std::string top = ProgramFiles() + "\\QvBusy";
    const std::string held = top + "\\" + Sjis("使用中");
    HANDLE app = HoldWithoutSharing(held + "\\app.txt");
    HANDLE help = HoldWithoutSharing(held + "\\later\\help.txt");
    ASSERT_NE(app, INVALID_HANDLE_VALUE);
    ASSERT_NE(help, INVALID_HANDLE_VALUE);
    Uninstall("QvBusy", "使用中試験");
    CloseHandle(app);
    CloseHandle(help);
    EXPECT_EQ(ProductCount(), 0);
    // The file recorded for the restart waits in the list with the folders it lies in.
    EXPECT_EQ(ReadWholeFile(PendingList()),
              held + "\\later\\help.txt\r\n" + held + "\\later\r\n" + held + "\r\n" + top + "\r\n");
    EXPECT_TRUE(Exists(held + "\\later\\help.txt"));

    RestartUntilNothingIsLeft();
    // The other stays, as installed, with its folders.
    EXPECT_EQ(ReadWholeFile(held + "\\app.txt"), "content of app.txt");
    EXPECT_EQ(Changes(before, Machine(dir)), "+ " + Utf8(top) + "\\\n+ " + Utf8(held) + "\\\n+ " +
                                                 Utf8(held) + "\\app.txt\n" +
                                                 LeftOnPurpose(before));
}

TEST(MachineLife, AnInstallKilledMidwayIsCompletedByTheNextRunAndUninstalledWhole) {
    // Many files, so that the progress page runs long enough to be ended at a random point.
    TempDir dir;
    Sources sources;
    std::string files;
    std::mt19937 bytes(15);
    for (int i = 0; i < 1000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.bin", i);
        std::string content(16 * 1024, '\0');
        for (char& byte : content)
            byte = static_cast<char>(bytes() % 7);  // compressible, as real files are
        sources.push_back({name, content});
        files += std::string(files.empty() ? "" : ", ") + "{ source = \"" + name + "\" }";
    }
    const std::string setup = BuildWizardPackage(
        dir, "killed",
        Product("中断試験", "QvKilled", "QvKilled", "start progress finish", "", files), sources);
    ASSERT_FALSE(setup.empty());
    const MachineSnapshot before = Machine(dir);

    // A random point of the run, found on the page's bar: a moment in milliseconds would depend
    // on how fast the machine is.
    const LRESULT percent = 10 + std::random_device()() % 71;
    std::printf("the install is ended when its bar passes %d %%\n", static_cast<int>(percent));
    {
        CWizardPilot wizard(Quoted(setup));
        ASSERT_TRUE(wizard.WaitForSheet());
        ASSERT_TRUE(wizard.Next("start"));
        ASSERT_TRUE(wizard.Next("progress"));
        HWND bar = wizard.Control(IDC_PROGRESS_MIDDLE);
        ASSERT_TRUE(WaitUntil(
            [&] {
                const LRESULT range = Ask(bar, PBM_GETRANGE, FALSE);
                return range > 0 && Ask(bar, PBM_GETPOS) * 100 >= range * percent;
            },
            60000));
        ASSERT_FALSE(wizard.SheetButtonEnabled(kNext)) << "the install ended before it was ended";
        TerminateProcess(wizard.process, 1);
        EXPECT_EQ(wizard.WaitForExit(), 1);
    }

    Install(setup, "中断試験");
    for (const auto& [name, content] : sources)
        ASSERT_TRUE(ReadWholeFile(ProgramFiles() + "\\QvKilled\\" + name) == content) << name;
    Uninstall("QvKilled", "中断試験");
    RestartUntilNothingIsLeft();
    // What the ended run made and no record names stays: its work folder for the files it
    // replaces, empty. A file it was writing, under its partial name, the next run wrote again.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string left = Changes(before, Machine(dir));
    const std::size_t work = left.find("+ " + Utf8(temp) + "tmp"), end = left.find('\n', work);
    ASSERT_NE(work, std::string::npos) << left;
    EXPECT_EQ(left[end - 1], '\\') << "a folder";
    EXPECT_EQ(left.erase(work, end + 1 - work), LeftOnPurpose(before));
}

}  // namespace
