// The example product built, verified, listed, extracted and dumped: every file comes back
// byte for byte with its time, and the same input gives the same setup executable. Single
// entries through encode-entry and decode-entry, as the command line runs them.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/entry_commands.h"
#include "tools/setupkit/sources.h"

namespace {

// Destination (below the extract folder) -> source (below the example folder).
const std::map<std::string, std::string> kExampleFiles = {
    {"IF/kakeibo.exe", "files/kakeibo.exe"},
    {"IF/kakeibo.ini", "files/kakeibo.ini"},
    {"IF/kakeibo.ico", "files/kakeibo.ico"},
    {"IF/はじめにお読みください.txt", "files/はじめにお読みください.txt"},
    {"SF/qvcommon.dll", "files/qvcommon.dll"},
    {"IF/help/style.css", "files/help/style.css"},
    {"IF/help/使い方.html", "files/help/使い方.html"},
    {"CD/かんたん家計簿/サンプル家計簿.csv", "files/data/サンプル家計簿.csv"},
};

class ExampleBuild : public testing::Test {
  protected:
    void SetUp() override {
        WriteStub(stub_);
        ASSERT_EQ(BuildQuietly(ExampleManifest(), setup_, stub_), 0);
    }

    TempDir dir_;
    fs::path stub_ = fs::path(dir_.path()) / "stub.exe";
    fs::path setup_ = fs::path(dir_.path()) / "setup.exe";
};

int CountFiles(const fs::path& dir) {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        count += entry.is_regular_file();
    return count;
}

TEST_F(ExampleBuild, VerifiesListsDumpsAndExtractsEveryFileExactly) {
    EXPECT_EQ(CommandVerify(setup_), 0);
    const std::string listing =
        OutputOf([&] { return CommandList(setup_, false) | CommandList(setup_, true); });
    EXPECT_NE(listing.find("IF\\kakeibo.exe  -> かんたん家計簿.lnk  [本体]"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("shared_dll"), std::string::npos);
    const std::string json = OutputOf([&] { return CommandDump(setup_, true); });
    for (const char* expected :
         {"\"display_name\": \"かんたん家計簿\"", "\"licence\": \"使用許諾契約書\\r\\n\\r\\n",
          "\"reinstall_no_licence\"", "\"dest_group\"", "\"install_folder_macro\": \"64\"",
          "\"run_after_install\": [\n      \"IF\\\\はじめにお読みください.txt\"",
          "\"name\": \"かんたん家計簿.lnk\"", "\"path\": \"追加機能\\\\サンプルデータ\"",
          "\"standard\": false", "\"sub_items\": 2"}) {
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
    }

    const fs::path out = fs::path(dir_.path()) / "out";
    testing::internal::CaptureStdout();
    EXPECT_EQ(CommandExtract(setup_, out, "", false), 0);
    const fs::path example = ExampleManifest().parent_path();
    for (const auto& [destination, source] : kExampleFiles) {
        SCOPED_TRACE(destination);
        const fs::path extracted = out / fs::u8path(destination);
        const fs::path original = example / fs::u8path(source);
        ASSERT_TRUE(fs::exists(extracted));
        EXPECT_EQ(ReadBytes(extracted), ReadBytes(original));
        EXPECT_EQ(FileWriteTime(extracted), FileWriteTime(original));
    }
    EXPECT_EQ(CountFiles(out), static_cast<int>(kExampleFiles.size()));
    EXPECT_TRUE(fs::is_directory(out / "IF" / "help"));  // folder items are made as well

    // A folder extracted into before keeps its files unless the user asks to replace them.
    const fs::path changed = out / "IF" / "kakeibo.ini";
    const std::vector<char> original = ReadBytes(changed);
    WriteBytes(changed, {'m', 'i', 'n', 'e'});
    EXPECT_NE(ToolErrorOf([&] {
                  CommandExtract(setup_, out, "", false);
              }).find("exists already; give --force"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(changed), (std::vector<char>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(CommandExtract(setup_, out, "", true), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadBytes(changed), original);
}

// The same input gives the same bytes in any folder and listing order. The reader scans the
// program in 1 MiB pieces; a notice across a piece boundary is found.
TEST_F(ExampleBuild, SameInputGivesTheSameBytesInAnyFolderAndListingOrder) {
    const fs::path example = ExampleManifest().parent_path();
    std::vector<std::vector<char>> builds;
    for (bool reverse : {false, true}) {
        const fs::path copy = fs::path(dir_.path()) / (reverse ? "b/deeper" : "a") / "kakeibo";
        CopyTree(example, copy, reverse);
        const fs::path output = copy.parent_path() / "setup.exe";
        ASSERT_EQ(BuildQuietly(copy / "setup.toml", output, stub_), 0);
        builds.push_back(ReadBytes(output));
    }
    EXPECT_TRUE(builds[0] == builds[1]);
    EXPECT_TRUE(builds[0] == ReadBytes(setup_));

    WriteStub(stub_, (1u << 20) - 20);
    ASSERT_EQ(BuildQuietly(ExampleManifest(), setup_, stub_), 0);
    EXPECT_NE(OutputOf([&] { return CommandVerify(setup_); }).find("OK"), std::string::npos);
}

// setupkit encode-entry or decode-entry as the command line runs it; the exit code.
int RunEntryCommand(const std::vector<std::string>& args) {
    CLI::App app;
    app.allow_windows_style_options(false);  // as setupkit's own command line
    AddEntryCommands(app);
    std::vector<const char*> argv = {"setupkit"};
    for (const auto& arg : args)
        argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    return -1;  // every entry command ends the parse
}

// The commands the codec benchmarks run: a round trip, and failures that exit with 1 and leave
// no output behind, not even the one from before.
TEST(EntryCommands, EncodeAndDecodeOrFailWithoutOutput) {
    TempDir dir;
    const std::string input = (ExampleManifest().parent_path() / "files" / "kakeibo.exe").string();
    const std::string entry = dir.File("entry"), output = dir.File("output");
    ASSERT_EQ(RunEntryCommand({"encode-entry", "--chain", "auto", input, entry}), 0);
    ASSERT_EQ(RunEntryCommand({"decode-entry", entry, output}), 0);
    EXPECT_TRUE(ReadWholeFile(output) == ReadWholeFile(input));

    ASSERT_TRUE(WriteWholeFile(entry, "not an entry"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunEntryCommand({"decode-entry", entry, output}), 1);
    EXPECT_EQ(RunEntryCommand({"encode-entry", dir.File("missing"), output}), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(output));
}

}  // namespace
