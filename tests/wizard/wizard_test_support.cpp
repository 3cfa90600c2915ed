#include "tests/wizard/wizard_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/win_handles.h"
#include "resources/install_ids.h"

namespace {

std::string ReadString(const std::string& key, const char* name) {
    char value[2048] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE,
                     ("Software\\Microsoft\\Windows\\CurrentVersion" + key).c_str(), name,
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "(none)";
    return value;
}

// "a b" -> ["a", "b"]
std::string TomlList(const std::string& words) {
    std::string list;
    std::istringstream in(words);
    for (std::string word; in >> word;)
        list += (list.empty() ? "\"" : ", \"") + word + "\"";
    return "[" + list + "]";
}

}  // namespace

std::string BuildWizardPackage(const TempDir& dir, const std::string& name,
                               const std::string& manifest,
                               const std::vector<std::pair<std::string, std::string>>& sources) {
    for (const char* source : {"app.txt", "help.txt", "sample.txt"})
        WriteWholeFile(dir.File(source), std::string("content of ") + source);
    for (const auto& [source, content] : sources)
        WriteWholeFile(dir.File(source), content);
    std::string setup = dir.File(name + ".exe");
    return BuildSetup(dir.path(), manifest, setup) ? setup : "";
}

std::string Product(const std::string& name, const std::string& key, const std::string& folder,
                    const std::string& pages, const std::string& options, const std::string& files,
                    const std::string& publisher) {
    return "[product]\nname = \"" + name + "\"\npublisher = \"" + publisher +
           "\"\n[install]\nfolder = '64\\" + folder + "'\nuninstall_key = \"" + key +
           "\"\npages = " + TomlList(pages) + "\noptions = " + TomlList(options) +
           "\n[[component]]\nname = \"本体\"\nfiles = [" + files + "]\n";
}

MachineSnapshot Machine(const TempDir& scratch) {
    return SnapshotMachine({std::filesystem::path(scratch.path()).parent_path().string()});
}

std::string Changes(const MachineSnapshot& before, const MachineSnapshot& after) {
    return Utf8(SnapshotDifference(before, after));
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

long MachineDword(const std::string& key, const std::string& name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<long>(value);
}

long ProductCount() {
    return MachineDword("Software\\Quorvane\\UninsDat\\2.0", "RefC");
}

std::string RunOnceValue(const char* name) {
    return ReadString("\\RunOnce", name);
}

std::string UninstallValue(const std::string& key, const char* name) {
    return ReadString("\\Uninstall\\" + key, name);
}

Texts_ Texts(const std::vector<SeenMessageBox>& boxes) {
    Texts_ texts;
    for (const SeenMessageBox& box : boxes)
        texts.push_back(Utf8(box.text));
    return texts;
}

Texts_ RunAlone(const std::string& commandLine) {
    CWizardPilot program(commandLine);
    EXPECT_EQ(program.WaitForExit(), 0) << commandLine;
    return Texts(program.boxes);
}

void RunToTheEnd(CWizardPilot& wizard, const std::string& caption, const char* done) {
    EXPECT_EQ(Utf8(wizard.Caption()), caption);
    for (int page = 0; page < 8 && wizard.PageName() != "progress"; ++page) {
        HWND before = wizard.Page();
        wizard.PressSheetButton(kNext);
        WaitUntil([&] { return wizard.Page() != before; });
    }
    ASSERT_EQ(wizard.PageName(), "progress");
    ASSERT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kNext); }, 120000));
    EXPECT_EQ(Utf8(wizard.Text(IDC_PHASE_TEXT)), done);
    // The run steps many items per idle turn with the page's painting held: afterwards the
    // page's lines and its bar are shown again, the bar at its end, and the bar that the
    // template hides stays hidden.
    EXPECT_TRUE(wizard.Visible(IDC_PHASE_TEXT));
    EXPECT_TRUE(wizard.Visible(IDC_DETAIL_TEXT));
    EXPECT_TRUE(wizard.Visible(IDC_PROGRESS_MIDDLE));
    EXPECT_FALSE(wizard.Visible(IDC_PROGRESS_BOTTOM));
    HWND bar = wizard.Control(IDC_PROGRESS_MIDDLE);
    EXPECT_EQ(Ask(bar, PBM_GETPOS), Ask(bar, PBM_GETRANGE, FALSE));
    EXPECT_FALSE(wizard.SheetButtonEnabled(kBack));
    ASSERT_TRUE(wizard.Next("finish"));
    EXPECT_TRUE(WaitUntil([&] { return wizard.SheetButtonEnabled(kFinish); }));
    EXPECT_FALSE(wizard.SheetButtonEnabled(IDCANCEL));
    wizard.PressSheetButton(kFinish);
    EXPECT_EQ(wizard.WaitForExit(), 0);
    EXPECT_EQ(Texts(wizard.boxes), Texts_{});
}

void Install(const std::string& setup, const std::string& product) {
    CWizardPilot wizard(Quoted(setup));
    ASSERT_TRUE(wizard.WaitForSheet());
    RunToTheEnd(wizard, product + " セットアップ", "インストール完了。");
}

void Uninstall(const std::string& key, const std::string& product) {
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(StartProgram("uninstaller.exe --remove " + key, &started));
    ClKernelHandle thread(started.hThread), remover(started.hProcess);
    {
        CWizardPilot wizard(FindWizardProcess(Sjis(product + " アンインストール")));
        ASSERT_NE(wizard.processId, 0u);
        ASSERT_TRUE(wizard.WaitForSheet());
        RunToTheEnd(wizard, product + " アンインストール", "アンインストール完了。");
    }
    EXPECT_EQ(WaitForSingleObject(remover.get(), 30000), WAIT_OBJECT_0);
}
