// Damaged setup executables: verify and extract fail with a message that says what is wrong,
// and never crash or write outside their folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
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
        packageOffset_ = ReadBytes(stub_).size();
        std::uint64_t entryArea = 0;
        std::memcpy(&entryArea, &bytes_[packageOffset_], 8);  // little-endian host
        directory_ = packageOffset_ + 8 + static_cast<std::size_t>(entryArea);
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
    std::size_t packageOffset_ = 0;
    std::size_t directory_ = 0;
};

TEST_F(DamagedPackage, EveryCutAndWrongSlotFails) {
    // Every length inside the directory, where the images and the record are parsed; every
    // 37th before it.
    for (std::size_t cut = 0; cut < bytes_.size(); cut += cut < directory_ ? 37 : 1) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::vector<char> cutShort(bytes_.begin(), bytes_.begin() + cut);
        EXPECT_NE(Failure(cutShort), "");
        if (cut % 37 == 0) {  // extract opens the package through the same code
            EXPECT_NE(Failure(cutShort, true), "");
        }
    }
    for (std::uint32_t value : {0u, 0xFFFFFF00u, static_cast<std::uint32_t>(packageOffset_ + 1),
                                static_cast<std::uint32_t>(packageOffset_ - 1)}) {
        SCOPED_TRACE(value);
        std::vector<char> wrong = bytes_;
        std::memcpy(&wrong[packageOffset_ - 32], &value, 4);  // the stub's slot
        EXPECT_NE(Failure(wrong), "");
        EXPECT_NE(Failure(wrong, true), "");
    }
}

TEST_F(DamagedPackage, EachDamageIsNamed) {
    const std::size_t size = bytes_.size(), entries = packageOffset_ + 8;
    const struct {
        std::size_t length;  // the package cut or grown to this length
        std::size_t at;      // then these bytes written here
        std::string bytes;
        const char* expected;
    } cases[] = {
        {size - 1, 0, "", "setup tree image is damaged or cut short"},
        {directory_ + 20, 0, "", "file tree image is damaged or cut short"},
        {size + 1, size, "x", "1 bytes trail the package directory"},
        {size, packageOffset_ - 32, std::string("\0\xFF\xFF\xFF", 4),
         "package offset slot says 0xFFFFFF00"},
        // The first entry's S runs far beyond the area; its first stage's section lengths.
        {size, entries + 6, "\x7F", "does not fit the entry area"},
        {size, entries + 9, std::string(8, '\x7F'), "does not decode"},
    };
    for (const auto& c : cases) {
        std::vector<char> damaged = bytes_;
        damaged.resize(c.length);
        std::copy(c.bytes.begin(), c.bytes.end(), damaged.begin() + c.at);
        EXPECT_NE(Failure(damaged).find(c.expected), std::string::npos) << c.expected;
    }
    std::vector<char> badHeader = bytes_;
    std::fill_n(badHeader.begin() + entries + 9, 8, '\x7F');
    EXPECT_NE(Failure(badHeader, true).find("does not decode"), std::string::npos);
}

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

// One changed byte turns the range 7-11 into 7-0x0300000B: one problem, and a listing of the
// package's own items, whatever the range's size.
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
    const std::string listing = OutputOf([&] { return CommandList(bad_, false); });
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 2 + 11);
}

}  // namespace
