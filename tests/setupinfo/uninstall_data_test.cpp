#include "setupinfo/uninstall_data.h"

#include <gtest/gtest.h>

#include <string>

#include "base/file_io.h"
#include "base/win_handles.h"
#include "setupinfo/setup_info.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"
#include "tree/tree.h"
#include "tree/tree_owner.h"

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

ClTreeNode* Add(ClTree* tree, std::uint8_t flags, ClTreeNode* parent, const char* name,
                const std::string& data, std::uint32_t spare = 0) {
    ClTreeNodeInfo info{flags,
                        parent,
                        name,
                        reinterpret_cast<std::uint8_t*>(const_cast<char*>(data.data())),
                        static_cast<std::uint32_t>(data.size()),
                        spare};
    return ClTreeAddNode(tree, &info);
}

bool IsEmpty(ClTree* tree) {
    return ClTreeNavigate(ClTreeRoot(tree), TN_WALK, nullptr) == nullptr;
}

// The setup tree and the log of one uninstall data file.
struct Trees {
    ClTreeOwner setupOwner{ClTreeCreate()}, logOwner{ClTreeCreate()};
    ClTree* setup = setupOwner.get();
    ClTree* log = logOwner.get();
};

TEST(UninstallData, WritesKnownBytesAndReadsThemBack) {
    TempDir dir;
    const std::string path = dir.File("A.dat");
    {
        Trees trees;
        ClTreeNode* component = Add(trees.setup, TN_KEY | TN_NAMED | TN_DATA, nullptr, "A", "\x03");
        Add(trees.setup, TN_NAMED | TN_DATA | TN_LINKED, component, "Disk1",
            std::string("\x01\x07\0\0\0\0", 6));
        ClTreeNode* drive = Add(trees.log, TN_KEY | TN_NAMED, nullptr, "C:", "");
        Add(trees.log, TN_NAMED | TN_DATA | TN_LINKED | TN_SPARE, drive, "x",
            std::string("\x04\0\0\0\x07\0\0\0\x02\0\0\0", 12), 4);
        SSetupInfo info;
        info.optionBits = 1u << 16;
        info.installFolderMacro = 20;
        info.registryRootMacro = 15;
        ASSERT_TRUE(SetupInfoSetText(&info, 21, "A.dat"));
        ClFileHandle file = OpenScratchFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
        ASSERT_TRUE(UninstallDataWrite(file.get(), trees.setup, 1, trees.log, &info));
    }
    EXPECT_EQ(ReadWholeFile(path), kDataFile);

    // Read back into trees that held something before; the log's data blocks get a fresh
    // counter slot behind the stored 12 bytes.
    {
        Trees trees;
        Add(trees.log, TN_KEY | TN_NAMED, nullptr, "stale", "");
        std::uint8_t selection = 0;
        SSetupInfo info;
        ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
        ASSERT_EQ(UninstallDataRead(file.get(), trees.setup, &selection, trees.log, &info), 1);
        EXPECT_NE(ClTreeFindPath(trees.setup, nullptr, "A\\Disk1", "\\", 0), nullptr);
        EXPECT_EQ(selection, 1);
        EXPECT_EQ(ClTreeFindPath(trees.log, nullptr, "stale", "\\", 1), nullptr);
        EXPECT_EQ(info.optionBits, 1u << 16);
        EXPECT_STREQ(info.texts[21], "A.dat");
        ClTreeNode* entry = ClTreeFindPath(trees.log, nullptr, "C:\\x", "\\", 0);
        ASSERT_NE(entry, nullptr);
        const ClTreeNodeInfo* data = ClTreeNodeGetInfo(entry);
        ASSERT_EQ(data->length, 16u);
        EXPECT_EQ(data->data[8], 2);
        EXPECT_EQ(*ClTreeNodeCounter(data), 0u);
    }

    // Cut inside each part: that part is named, and nothing half-read is left behind.
    const std::size_t partEnds[] = {kSetupTreeImage.size(), kSetupTreeImage.size() + 1,
                                    kSetupTreeImage.size() + 1 + kLogImage.size(),
                                    kDataFile.size()};
    for (int part = 1; part <= 4; ++part) {
        SCOPED_TRACE(part);
        ASSERT_TRUE(WriteWholeFile(path, kDataFile.substr(0, partEnds[part - 1] - 1)));
        Trees trees;
        std::uint8_t selection = 0;
        SSetupInfo info;
        int failedPart = 0;
        ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
        EXPECT_EQ(
            UninstallDataRead(file.get(), trees.setup, &selection, trees.log, &info, &failedPart),
            0);
        EXPECT_EQ(failedPart, part);
        EXPECT_TRUE(IsEmpty(trees.setup));
        EXPECT_TRUE(IsEmpty(trees.log));
        EXPECT_EQ(info.texts[21], nullptr);
    }
}

}  // namespace
