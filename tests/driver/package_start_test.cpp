// setup.exe reading its own package: damaged copies of the example product built by setupkit,
// each started the way a user would start it, and the message each failure shows.
#include <gtest/gtest.h>

#include <string>

#include "base/file_io.h"
#include "base/little_endian.h"
#include "base/win_handles.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "setupinfo/setup_info.h"
#include "tests/driver/expected_strings.h"
#include "tests/support/message_box_probe.h"
#include "tests/support/temp_dir.h"
#include "tree/tree.h"
#include "tree/tree_file.h"
#include "tree/tree_owner.h"

namespace {

const std::string kExample = EXAMPLE_SETUP_PATH;

// Where the parts of the example's package lie in its file.
struct Layout {
    std::size_t slot = 0;         // the 32-bit package offset behind the notice
    std::uint64_t package = 0;    // P: the entry-area length D
    std::uint64_t directory = 0;  // P + 8 + D: the file tree image
    std::uint64_t record = 0;     // the setup information record
    std::uint64_t setupTree = 0;  // the setup tree image
};

const std::uint8_t* Bytes(const std::string& bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

std::uint8_t* Bytes(std::string& bytes) {
    return reinterpret_cast<std::uint8_t*>(bytes.data());
}

Layout ReadLayout(const std::string& bytes) {
    Layout layout;
    const char* notice = FindPackageNotice(bytes.data(), bytes.data() + bytes.size());
    layout.slot = static_cast<std::size_t>(notice - bytes.data()) + kPackageNoticeSize;
    layout.package = LoadLe32(Bytes(bytes) + layout.slot);
    ClFileHandle file(CreateFileA(kExample.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::uint64_t length = 0;
    SetFilePosition(file.get(), layout.package);
    ReadFileAll(file.get(), &length, 8);
    layout.directory = layout.package + 8 + length;
    ClTreeOwner tree(ClTreeCreate());
    SSetupInfo info;
    SetFilePosition(file.get(), layout.directory);
    ClTreeLoad(file.get(), tree.get(), nullptr, 0, 0);
    GetFilePosition(file.get(), &layout.record);
    SetupInfoLoad(&info, file.get());
    GetFilePosition(file.get(), &layout.setupTree);
    return layout;
}

class PackageStart : public testing::Test {
  protected:
    void SetUp() override {
        bytes_ = ReadWholeFile(kExample);
        ASSERT_GT(bytes_.size(), 100000u) << "the example setup.exe is missing: " << kExample;
        layout_ = ReadLayout(bytes_);
        ASSERT_GT(layout_.setupTree, layout_.record);
    }
    // Starts a copy of the example made of the given bytes: it ends after one message box.
    void ExpectOneBox(const std::string& bytes, unsigned id, bool withPath, const char* what) {
        const std::string path = dir_.File("setup.exe");
        WriteWholeFile(path, bytes);
        ProgramRun run = RunAnsweringMessageBoxes("\"" + path + "\"", 30000);
        EXPECT_TRUE(run.exited) << what;
        EXPECT_EQ(run.exitCode, 0u) << what;
        ASSERT_EQ(run.boxes.size(), 1u) << what;
        EXPECT_EQ(run.boxes[0].text, ExpectedMessage(id, withPath ? path : "")) << what;
    }

    TempDir dir_;
    std::string bytes_;
    Layout layout_;
};

TEST_F(PackageStart, EveryReadingFailureShowsItsMessage) {
    // Windows moves a file pointer past the end without complaint: such a slot fails at the
    // reading of the archive length.
    std::string bytes = bytes_;
    StoreLe32(Bytes(bytes) + layout_.slot, static_cast<std::uint32_t>(bytes.size() + 4096));
    ExpectOneBox(bytes, IDS_CANNOT_READ_FILE, true, "slot pointing past the end");

    bytes = bytes_;
    StoreLe64(Bytes(bytes) + layout_.package, 0x7FFFFFFFFFFF0000ull);
    ExpectOneBox(bytes, IDS_SEEK_FAILED, false, "entry area longer than the file");

    ExpectOneBox(bytes_.substr(0, layout_.package + 5), IDS_CANNOT_READ_FILE, true,
                 "archive length cut short");
    ExpectOneBox(bytes_.substr(0, layout_.directory + 7), IDS_CANNOT_READ_FILE, true,
                 "file tree cut short");
    ExpectOneBox(bytes_.substr(0, layout_.record + 3), IDS_CANNOT_READ_FILE, true,
                 "record cut short");
    ExpectOneBox(bytes_.substr(0, layout_.setupTree + 5), IDS_CANNOT_READ_FILE, true,
                 "setup tree cut short");

    bytes = bytes_;
    bytes[layout_.record] = '\x7F';  // a damaged record
    ExpectOneBox(bytes, IDS_CANNOT_READ_FILE, true, "record damaged");
}

TEST_F(PackageStart, AProgramFileThatCannotBeOpenedIsSaidSo) {
    // The program path is the first token of the command line: name a file that is not there.
    std::string path = dir_.File("setup.exe");
    WriteWholeFile(path, bytes_);
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    std::string line = "\"" + dir_.File("missing.exe") + "\"";
    ASSERT_TRUE(CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    ClKernelHandle thread(process.hThread), child(process.hProcess);
    SeenMessageBox box = AnswerMessageBox(process.dwProcessId, 20000);
    EXPECT_TRUE(box.found);
    EXPECT_EQ(box.text, ExpectedMessage(IDS_PROGRAM_UNOPENABLE));
    EXPECT_EQ(WaitForSingleObject(child.get(), 20000), WAIT_OBJECT_0);
}

}  // namespace
