// Starts the real setup.exe with command lines and looks at what the user sees.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/win_handles.h"
#include "resources/string_ids.h"
#include "tests/driver/expected_strings.h"
#include "tests/support/message_box_probe.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kSetup = SETUP_EXE_PATH;

std::string WindowsFolder() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return windows;
}

const std::string kPendingList = WindowsFolder() + "\\UninsDat200_Mivax_Res.dat";
const std::string kBatch = WindowsFolder() + "\\UninsDat200_Mivax.bat";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The pending-deletion list held open as a running wizard holds it: a /R run cannot read it
// and changes nothing.
class HeldPendingList {
  public:
    HeldPendingList()
        : file_(CreateFileA(kPendingList.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldPendingList() {
        CloseHandle(file_);
        DeleteFileA(kPendingList.c_str());
    }

  private:
    HANDLE file_;
};

// A RunOnce value's text, or "(none)".
std::string RunOnceValue(const char* name) {
    char value[600] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kRunOnce, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "(none)";
    return value;
}

TEST(SetupExe, QuotedArgumentOf258CharactersIsAccepted) {
    ProgramRun run =
        RunAnsweringMessageBoxes("\"" + kSetup + "\" /R \"" + std::string(258, 'a') + "\"", 20000);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
}

TEST(SetupExe, QuotedArgumentOf259CharactersIsABadCommandLineShownWithTheRest) {
    std::string rest = std::string(259, 'b') + "\" /U";
    ProgramRun run = RunAnsweringMessageBoxes("\"" + kSetup + "\" /R \"" + rest, 20000);
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, ExpectedMessage(IDS_BAD_COMMAND_LINE, rest));
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
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
    // The stored count, or -1 when the value is missing or not a REG_DWORD.
    static long long Count() {
        DWORD value = 0, type = 0, size = sizeof value;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, kSharedKey, "RefC", RRF_RT_ANY, &type, &value,
                         &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return -1;
        return value;
    }
    static bool KeyExists(const char* key) {
        ClRegistryKey opened;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.Out()) == ERROR_SUCCESS;
    }
    static void Start(const std::string& arguments) {
        ProgramRun run = RunAnsweringMessageBoxes("\"" + kSetup + "\" " + arguments, 20000);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    }

    static constexpr const char* kSharedKey = "Software\\Quorvane\\UninsDat\\2.0";
    static constexpr const char* kLegacyKey = "Software\\Vantorel\\UninsDat\\2.0";
};

TEST_F(Bookkeeping, FirstStartCreatesTheKeyWithCountZeroAndLaterStartsKeepIt) {
    // With no product counted, a finished /R run would remove the key again.
    HeldPendingList held;
    Start("/R");
    EXPECT_EQ(Count(), 0);
    SetCount(kSharedKey, REG_DWORD, 4);
    Start("/R");
    EXPECT_EQ(Count(), 4) << "an existing count is left alone";
}

TEST_F(Bookkeeping, LegacyCountIsCarriedOverAndItsKeysRemovedOnEveryStart) {
    SetCount(kLegacyKey, REG_DWORD, 3);
    Start("/R");
    EXPECT_EQ(Count(), 3) << "products counted at the legacy place still need the uninstaller";
    EXPECT_FALSE(KeyExists("Software\\Vantorel"));

    SetCount(kLegacyKey, REG_DWORD_BIG_ENDIAN, 0x02000000);  // 2 in big-endian byte order
    // Uninstall mode without a data file: the wizard refuses with message 5, then message 2;
    // the bookkeeping at the start was done all the same.
    ProgramRun run = RunAnsweringMessageBoxes("\"" + kSetup + "\" /U", 20000);
    ASSERT_TRUE(run.exited);
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_EQ(run.boxes[0].text, kExpectedStrings[4].cp932);
    EXPECT_EQ(run.boxes[1].text, kExpectedStrings[1].cp932);
    EXPECT_EQ(Count(), 5);
    EXPECT_FALSE(KeyExists("Software\\Vantorel"));
}

TEST_F(Bookkeeping, LegacyCountWhoseKeyStaysIsCountedOnce) {
    SetCount(kLegacyKey, REG_DWORD, 3);
    SetCount("Software\\Vantorel\\UninsDat\\2.0\\Sub", REG_DWORD, 9);
    Start("/R");
    EXPECT_EQ(Count(), 3);
    Start("/R");
    EXPECT_EQ(Count(), 3) << "a second start adds nothing: the legacy count was taken once";
    EXPECT_TRUE(KeyExists(kLegacyKey)) << "a key with a sub-key is not deleted";
}

TEST_F(Bookkeeping, LegacyKeysWithOtherContentStay) {
    SetCount(kLegacyKey, REG_DWORD, 1);
    SetCount("Software\\Vantorel\\Other", REG_DWORD, 9);
    Start("/R");
    EXPECT_EQ(Count(), 1);
    EXPECT_FALSE(KeyExists("Software\\Vantorel\\UninsDat"));
    EXPECT_TRUE(KeyExists("Software\\Vantorel\\Other")) << "keys with sub-keys are not deleted";
}

// The /R run empties the pending-deletion list and removes the RunOnce value that started
// it; once no product is left it schedules the self-delete batch and drops the counting key.
TEST_F(Bookkeeping, RestartRunEmptiesTheListAndLetsTheLastUninstallerGo) {
    TempDir dir;
    const std::string file = dir.File("in use.dll");
    const std::string command = "\"" + WindowsFolder() + "\\UninsDat200_Mivax.exe\" /R";
    for (DWORD products : {1, 0}) {
        SCOPED_TRACE(products);
        SetCount(kSharedKey, REG_DWORD, products);
        ASSERT_TRUE(WriteWholeFile(file, "x"));
        ASSERT_TRUE(WriteWholeFile(kPendingList, file + "\r\n" + dir.path() + "\r\n"));
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kRunOnce, "UninsDat200_Mivax.exe", REG_SZ,
                        command.c_str(), static_cast<DWORD>(command.size()));
        Start("/R");
        EXPECT_EQ(GetFileAttributesA(dir.path().c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesA(kPendingList.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(RunOnceValue("UninsDat200_Mivax.exe"), "(none)");
        if (products == 1) {
            EXPECT_EQ(Count(), 1);
            EXPECT_EQ(GetFileAttributesA(kBatch.c_str()), INVALID_FILE_ATTRIBUTES);
            EXPECT_EQ(RunOnceValue("UninsDat200_Mivax"), "(none)");
            CreateDirectoryA(dir.path().c_str(), nullptr);
        }
    }
    const std::string windows = WindowsFolder();
    EXPECT_EQ(ReadWholeFile(kBatch), "del \"" + windows + "\\UninsDat200_Mivax.exe\"\r\n" +
                                         "del \"" + windows + "\\UninsDat200_Mivax.pif\"\r\n" +
                                         "del \"" + kBatch + "\"\r\n");
    EXPECT_EQ(RunOnceValue("UninsDat200_Mivax"), "\"" + kBatch + "\"");
    EXPECT_FALSE(KeyExists(kSharedKey));
    EXPECT_TRUE(KeyExists("Software\\Quorvane\\UninsDat"));
}

TEST(SetupExe, BothUninstallAndRestartSwitchesAreRefused) {
    ProgramRun run = RunAnsweringMessageBoxes("\"" + kSetup + "\" /U /r", 20000);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, ExpectedMessage(IDS_BAD_COMMAND_LINE, "/U /r"));
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(SetupExe, WithoutNetapi32TheAccountIsAccepted) {
    char saved[512] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", saved, sizeof saved);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", "mscoree,mshtml=;netapi32=d");
    ProgramRun run = RunAnsweringMessageBoxes("\"" + kSetup + "\" /R", 20000);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", saved);
    EXPECT_TRUE(run.exited);
    EXPECT_TRUE(run.boxes.empty());
}

TEST(SetupExe, FirstTokenOver309CharactersIsABadCommandLine) {
    // The program's own path cannot be held: a sound refusal instead of unusable paths.
    // "\.\.\..." lengthens the path to the same program.
    std::string longPath = kSetup.substr(0, kSetup.rfind('\\'));
    while (longPath.size() < 320)
        longPath += "\\.";
    longPath += kSetup.substr(kSetup.rfind('\\'));
    ProgramRun run = RunAnsweringMessageBoxes("\"" + longPath + "\" /R", 20000);
    ASSERT_TRUE(run.started) << longPath;
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text.rfind(ExpectedMessage(IDS_BAD_COMMAND_LINE), 0), 0u);
    EXPECT_EQ(run.exitCode, 0u);
}

}  // namespace
