#include "setupinfo/uninstall_data.h"

#include <gtest/gtest.h>

#include <string>

#include "base/file_io.h"
#include "base/win_handles.h"
#include "setupinfo/setup_info.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"
#include "tests/tree/tree_test_support.h"

namespace {

// The bytes of a literal without its terminating NUL.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// clang-format off
// Component "A" (selection bits 3) with the list of file 7 on Disk1.
const std::string kSetupTreeImage = Bytes(
    "\x06" "\x1A\0\0\0\0\0\0\0"
    "\x09\x00\x00\x00"                                   // unnamed root
    "\x07\x00\x01" "A" "\x01\x03"                        // component A
    "\x0E\x01\x05" "Disk1" "\x06\x01\x07\0\0\0\0"        // its list
    "\x80");
// Drive C: with the file x (shared DLL, counter 2); the spare tail is never stored.
const std::string kLogImage = Bytes(
    "\x06" "\x1C\0\0\0\0\0\0\0"
    "\x09\x00\x00\x00"
    "\x03\x00\x02" "C:" "\x00"
    "\x1E\x01\x01" "x" "\x0C" "\x04\0\0\0\x07\0\0\0\x02\0\0\0"
    "\x80");
// Version 1, option bit 16, no texts but text 21, an empty list.
const std::string kSetupInfoRecord =
    Bytes("\x01" "\0\0\0\0" "\0\0\x01\0" "\x14" "\x0F" "\0\0" "\x16\0") + std::string(42, '\0') +
    Bytes("\x05\0" "A.dat" "\0\0");
// clang-format on
const std::string kDataFile = kSetupTreeImage + "\x01" + kLogImage + kSetupInfoRecord;

TEST(UninstallData, WritesKnownBytesAndReadsThemBack) {
    TempDir dir;
    const std::string path = dir.File("A.dat");
    {
        ClTreeOwner setup = NewTree(), log = NewTree();
        ClTreeNode* component = AddNamed(setup.get(), nullptr, true, "A", "\x03");
        AddNamed(setup.get(), component, false, "Disk1", std::string("\x01\x07\0\0\0\0", 6));
        ClTreeNode* drive = AddNamed(log.get(), nullptr, true, "C:");
        AddNamed(log.get(), drive, false, "x", std::string("\x04\0\0\0\x07\0\0\0\x02\0\0\0", 12),
                 true, 4);
        SSetupInfo info;
        info.optionBits = 1u << 16;
        info.installFolderMacro = 20;
        info.registryRootMacro = 15;
        ASSERT_TRUE(SetupInfoSetText(&info, 21, "A.dat"));
        ClFileHandle file = OpenScratchFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
        ASSERT_TRUE(UninstallDataWrite(file.get(), setup.get(), 1, log.get(), &info));
    }
    EXPECT_EQ(ReadWholeFile(path), kDataFile);

    // Read back into trees that held something before: each is cleared, the image's root comes
    // in as a further top-level key, and the log's data blocks get a fresh counter slot.
    ClTreeOwner setup = NewTree(), log = NewTree();
    AddNamed(log.get(), nullptr, true, "stale");
    std::uint8_t selection = 0;
    SSetupInfo info;
    ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
    ASSERT_EQ(UninstallDataRead(file.get(), setup.get(), &selection, log.get(), &info), 1);
    EXPECT_EQ(DumpTree(setup.get()),
              "0 09 -\n0 01 -\n0 07 '41' [03]\n1 0E '4469736B31' [010700000000]\n");
    EXPECT_EQ(selection, 1);
    EXPECT_EQ(DumpTree(log.get()),
              "0 09 -\n0 01 -\n0 03 '433A'\n"
              "1 1E '78' [04000000070000000200000000000000] +00000000\n");
    EXPECT_STREQ(info.texts[21], "A.dat");
    file.Close();

    // Cut inside each part: that part is named, and nothing half-read is left behind.
    const std::size_t partEnds[] = {kSetupTreeImage.size(), kSetupTreeImage.size() + 1,
                                    kSetupTreeImage.size() + 1 + kLogImage.size(),
                                    kDataFile.size()};
    for (int part = 1; part <= 4; ++part) {
        SCOPED_TRACE(part);
        ASSERT_TRUE(WriteWholeFile(path, kDataFile.substr(0, partEnds[part - 1] - 1)));
        ClFileHandle cut = OpenScratchFile(path, GENERIC_READ);
        ClTreeOwner cutSetup = NewTree(), cutLog = NewTree();
        SSetupInfo cutInfo;
        int failedPart = 0;
        EXPECT_EQ(UninstallDataRead(cut.get(), cutSetup.get(), &selection, cutLog.get(), &cutInfo,
                                    &failedPart),
                  0);
        EXPECT_EQ(failedPart, part);
        EXPECT_EQ(DumpTree(cutSetup.get()) + DumpTree(cutLog.get()), "0 09 -\n0 09 -\n");
        EXPECT_EQ(cutInfo.texts[21], nullptr);
    }
}

}  // namespace
