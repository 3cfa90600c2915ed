// Damaged setup executables: verify names each unsafe name and each file index that no item
// carries, and extract refuses to write outside its folder. Cut and garbled directories are
// the package_directory fuzzer's part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "package/layout/file_record.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/setupkit_test_support.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/package_reader.h"
#include "tree/tree_file.h"

namespace {

class DamagedPackage : public testing::Test {
  protected:
    void SetUp() override {
        WriteStub(stub_);
        ASSERT_EQ(BuildQuietly(ExampleManifest(), good_, stub_), 0);
        bytes_ = ReadBytes(good_);
        const std::size_t packageOffset = ReadBytes(stub_).size();
        std::uint64_t entryArea = 0;
        std::memcpy(&entryArea, &bytes_[packageOffset], 8);  // little-endian host
        directory_ = packageOffset + 8 + static_cast<std::size_t>(entryArea);
    }

    // What verify and extract say about bytes written as a setup executable; empty when they
    // do not fail.
    std::string Failure(const std::vector<char>& bytes, bool extract = false) {
        WriteBytes(bad_, bytes);
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        std::string message;
        try {
            const int result = extract
                                   ? CommandExtract(bad_, fs::path(dir_.path()) / "out", "", true)
                                   : CommandVerify(bad_);
            if (result != 0)
                message = "exit code " + std::to_string(result);
        } catch (const ToolError& error) {
            message = error.what();
        }
        testing::internal::GetCapturedStdout();
        const std::string stderrText = testing::internal::GetCapturedStderr();
        return message.empty() ? message : message + "\n" + stderrText;
    }

    // The package's bytes up to its directory, then the directory of the given package.
    std::vector<char> WithDirectory(OpenedPackage& package) {
        const fs::path saved = fs::path(dir_.path()) / "directory";
        {
            ClFileHandle file = CreateForWriting(saved);
            EXPECT_TRUE(
                ClTreeSave(file.get(), package.fileTree.get(), nullptr, CLT_NAMES | CLT_DATA) &&
                SetupInfoSave(&package.info, file.get()) &&
                ClTreeSave(file.get(), package.setupTree.get(), nullptr, CLT_NAMES | CLT_DATA));
        }
        std::vector<char> bytes(bytes_.begin(), bytes_.begin() + directory_);
        const std::vector<char> directory = ReadBytes(saved);
        bytes.insert(bytes.end(), directory.begin(), directory.end());
        return bytes;
    }

    TempDir dir_;
    fs::path stub_ = fs::path(dir_.path()) / "stub.exe";
    fs::path good_ = fs::path(dir_.path()) / "good.exe";
    fs::path bad_ = fs::path(dir_.path()) / "bad.exe";
    std::vector<char> bytes_;
    std::size_t directory_ = 0;
};

TEST_F(DamagedPackage, EveryNameThatWouldLeaveItsFolderIsReported) {
    std::unique_ptr<OpenedPackage> package = OpenPackage(good_);
    ClTree* tree = package->fileTree.get();
    ClTreeNode* install = ClTreeFindPath(tree, nullptr, "IF", "\\", 1);
    ClTreeNodeInfo escaping{TN_KEY | TN_NAMED, nullptr, "..", nullptr, 0, 0};
    ClTreeNode* top = ClTreeAddNode(tree, &escaping);
    ClTreeNode* registry = ClTreeFindPath(tree, nullptr, "CU", "\\", 1);
    // The common unsafe names; PathNameProblem's own table holds the rarer ones.
    const std::pair<ClTreeNode*, const char*> keys[] = {
        {install, ".."},      {install, "."},    {install, "C:\\x"},    {install, "C:x"},
        {install, "\\\\?\\"}, {install, "CON"},  {install, "nul.txt"},  {install, ""},
        {install, "a."},      {install, "Help"}, {install, "\x95\x5C"}, {top, "x"},
        {registry, ".."},  // a registry key, not a file name
    };
    std::uint8_t index = 100;
    for (const auto& [parent, name] : keys) {
        const std::uint8_t flags = parent == registry ? ITEM_REGISTRY : 0;
        std::uint8_t record[12] = {flags, 0, 0, 0, index++};  // long enough for a registry key
        ClTreeNodeInfo key{TN_KEY | TN_NAMED | TN_DATA | TN_LINKED, parent, name, record, 12, 0};
        ASSERT_NE(ClTreeAddNode(tree, &key), nullptr) << name;
    }
    const std::vector<char> bytes = WithDirectory(*package);
    const std::string report = Failure(bytes);
    for (const char* expected :
         {"IF\\..: the name '..' would leave its folder", "IF\\.: the name '.' would leave",
          "IF\\C:\\x: the name 'C:\\x' holds a path separator",
          "IF\\C:x: the name 'C:x' holds a path separator", "IF\\\\\\?\\: the name",
          "IF\\CON: the name 'CON' is a device name", "IF\\nul.txt: the name 'nul.txt' is a device",
          "IF\\: an empty name", "IF\\a.: the name 'a.' ends in a dot",
          "IF\\help: differs from 'Help' only in letter case", "..: the name '..' would leave",
          "..\\x: the top-level key is no folder macro", "12 problem(s)"})
        EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
    EXPECT_EQ(report.find("表"), std::string::npos) << report;

    EXPECT_NE(Failure(bytes, true).find("refusing to extract"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(dir_.path()) / "out"));  // refused before writing
}

// One changed byte turns the range 7-11 into 7-0x0300000B: one problem, whatever the range's
// size.
TEST_F(DamagedPackage, AHugeRangeIsOneProblem) {
    std::vector<char> damaged = bytes_;
    const char range[] = {3, 7, 0, 0, 0, 11, 0, 0, 0};
    auto at = std::search(damaged.begin() + static_cast<std::ptrdiff_t>(directory_), damaged.end(),
                          range, range + sizeof range);
    ASSERT_NE(at, damaged.end());
    at[8] = 3;
    const std::string report = Failure(damaged);
    EXPECT_NE(report.find("components list 50331648 file index(es) that no item carries; the "
                          "first is 12, listed by component 本体 on Disk1"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("2 problem(s)"), std::string::npos) << report;
}

}  // namespace
