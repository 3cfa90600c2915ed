// Starts the real setup.exe with command lines and looks at what the user sees and what the
// start-up bookkeeping of the shared uninstaller leaves in the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/win_handles.h"
#include "resources/string_ids.h"
#include "setupinfo/folder_macro_codes.h"
#include "tests/driver/expected_strings.h"
#include "tests/install/install_harness.h"
#include "tests/support/message_box_probe.h"
#include "tests/wizard/wizard_test_support.h"

namespace {

const std::string kSetup = SETUP_EXE_PATH;

const std::string kWindows = MacroFolder(FolderMacro::WF);
const std::string kPendingList = kWindows + "\\UninsDat200_Mivax_Res.dat";
const std::string kBatch = kWindows + "\\UninsDat200_Mivax.bat";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kSharedKey = "Software\\Quorvane\\UninsDat\\2.0";
constexpr const char* kLegacyKey = "Software\\Vantorel\\UninsDat\\2.0";

ProgramRun Start(const std::string& arguments) {
    return RunAnsweringMessageBoxes("\"" + kSetup + "\" " + arguments, 20000);
}

TEST(SetupExe, BadCommandLinesAreRefusedWithWhatWasWrong) {
    // The program's own path cannot be held: "\.\.\..." lengthens it past 309 characters.
    std::string longPath = kSetup.substr(0, kSetup.rfind('\\'));
    while (longPath.size() < 320)
        longPath += "\\.";
    longPath += kSetup.substr(kSetup.rfind('\\'));
    const std::string tooLong = std::string(259, 'b') + "\" /U";
    const struct {
        std::string line, shown;
    } refusals[] = {
        {"\"" + kSetup + "\" /R \"" + tooLong, tooLong},  // the rest after the opening quote
        {"\"" + kSetup + "\" /U /r", "/U /r"},
        {"\"" + longPath + "\" /R", "\"" + longPath + "\" /R"},
    };
    for (const auto& refusal : refusals) {
        ProgramRun run = RunAnsweringMessageBoxes(refusal.line, 20000);
        ASSERT_TRUE(run.exited) << refusal.line;
        EXPECT_EQ(run.exitCode, 0u);
        ASSERT_EQ(run.boxes.size(), 1u) << refusal.line;
        EXPECT_EQ(run.boxes[0].text, ExpectedMessage(IDS_BAD_COMMAND_LINE, refusal.shown));
    }

    // Without Netapi32 the account cannot be checked and is accepted.
    char saved[512] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", saved, sizeof saved);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", "mscoree,mshtml=;netapi32=d");
    ProgramRun run = Start("/R");
    SetEnvironmentVariableA("WINEDLLOVERRIDES", saved);
    EXPECT_TRUE(run.exited);
    EXPECT_TRUE(run.boxes.empty());
}

// The shared-uninstaller key and the legacy location, as the test sees them in the registry.
class Bookkeeping : public testing::Test {
  protected:
    // Also what earlier /R runs without a counted product left: the self-delete batch and its
    // RunOnce value.
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Quorvane");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vantorel");
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunOnce, "UninsDat200_Mivax");
        DeleteFileA(kBatch.c_str());
    }
    void TearDown() override { SetUp(); }

    static void SetCount(const char* key, DWORD type, DWORD value) {
        ClRegistryKey opened;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  opened.Out(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(opened.get(), "RefC", 0, type, reinterpret_cast<BYTE*>(&value),
                       sizeof value);
    }
    static bool KeyExists(const char* key) {
        ClRegistryKey opened;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.Out()) == ERROR_SUCCESS;
    }
    static void StartQuietly(const std::string& arguments) {
        ProgramRun run = Start(arguments);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    }
};

// Legacy counts are carried over once, even from a key that cannot go; while products are
// counted a /R run keeps the uninstaller, after the last one it schedules its deletion.
TEST_F(Bookkeeping, LegacyCountsAreTakenOnceAndTheLastProductLetsTheUninstallerGo) {
    {
        // With no product counted, a finished /R run would remove the key again: the
        // pending-deletion list is held open as a running wizard holds it.
        ClFileHandle held(CreateFileA(kPendingList.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        StartQuietly("/R");
        EXPECT_EQ(ProductCount(), 0) << "the first start creates the key";
    }
    SetCount(kSharedKey, REG_DWORD, 4);
    SetCount(kLegacyKey, REG_DWORD, 3);
    StartQuietly("/R");
    EXPECT_EQ(ProductCount(), 7)
        << "products counted at the legacy place still need the uninstaller";
    EXPECT_FALSE(KeyExists("Software\\Vantorel"));
    SetCount(kLegacyKey, REG_DWORD_BIG_ENDIAN, 0x02000000);
    StartQuietly("/R");
    EXPECT_EQ(ProductCount(), 9);

    // A legacy key with sub-keys stays, yet its count is taken once, not at every start.
    SetCount(kLegacyKey, REG_DWORD, 1);
    SetCount("Software\\Vantorel\\UninsDat\\2.0\\Sub", REG_DWORD, 9);
    SetCount("Software\\Vantorel\\Other", REG_DWORD, 9);
    StartQuietly("/R");
    StartQuietly("/R");
    EXPECT_EQ(ProductCount(), 10);
    EXPECT_TRUE(KeyExists(kLegacyKey));
    EXPECT_TRUE(KeyExists("Software\\Vantorel\\Other"));
    EXPECT_FALSE(Exists(kBatch)) << "products are counted: the uninstaller stays";
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax"), "(none)");

    SetCount(kSharedKey, REG_DWORD, 0);
    StartQuietly("/R");
    // A string value as a reader sees it: its terminator counted by the system, not stored twice.
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax"), "\"" + kBatch + "\"");
    EXPECT_FALSE(KeyExists(kSharedKey));
    EXPECT_TRUE(KeyExists("Software\\Quorvane\\UninsDat"));
}

}  // namespace
