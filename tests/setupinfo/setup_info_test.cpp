#include "setupinfo/setup_info.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "base/heap_string.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

namespace {

// The record as a package carries it: pages warning, licence, start, progress and finish;
// install folder under "64"; "RV" root HKEY_CURRENT_USER; texts 18 and 19 empty; four stored
// paths of programs to remember.
// clang-format off
const char kExampleBytes[] =
    "\x01"              // version
    "\xE3\x00\x00\x00"  // page bits
    "\x00\x00\x08\x00"  // option bits
    "\x14"              // install-folder macro 20, "64"
    "\x0F"              // registry-root macro 15, HKEY_CURRENT_USER
    "\x0F\x00"          // extra number
    "\x16\x00"          // 22 texts
    "\x06\x00" "Notice"  "\x07\x00" "Licence"  "\x09\x00" "\\Quorvane"  "\x08\x00" "Quorvane"
    "\x05\x00" "Start"  "\x07\x00" "Removed"  "\x06\x00" "Simple"  "\x06\x00" "Custom"
    "\x02\x00" "QV"  "\x09\x00" "Installed"  "\x03\x00" "Now"  "\x05\x00" "Later"
    "\x0C\x00" "\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76"  // セットアップ
    "\x0D\x00" "Quorvane Tool"  "\x0C\x00" "QuorvaneTool"  "\x0D\x00" "Quorvane Tool"
    "\x06\x00" "Remove"  "\x05\x00" "Begin"  "\x00\x00"  "\x00\x00"
    "\x07\x00" "Missing"  "\x0B\x00" "\\uninst.dat"
    "\x04\x00"          // 4 list entries
    "\x0A\x00\x00\x00" "86\\A\\a.exe"  "\x0A\x00\x00\x00" "86\\A\\b.exe"
    "\x0A\x00\x00\x00" "64\\B\\c.exe"  "\x08\x00\x00\x00" "WF\\d.txt";
// clang-format on
const std::string kExample(kExampleBytes, sizeof kExampleBytes - 1);

// Gives an empty record a list of copies of entries (a null entry stays null).
void SetList(SSetupInfo* info, std::initializer_list<const char*> entries) {
    info->list = static_cast<char**>(std::calloc(entries.size(), sizeof(char*)));
    for (const char* entry : entries)
        info->list[info->listCount++] = entry != nullptr ? CopyToHeap(entry) : nullptr;
}

class SetupInfoFile : public testing::Test {
  protected:
    int Load(const std::string& bytes, SSetupInfo* info) {
        EXPECT_TRUE(WriteWholeFile(path_, bytes));
        return SetupInfoLoad(info, OpenScratchFile(path_, GENERIC_READ).get());
    }
    // The bytes that SetupInfoSave writes, or "<failed>".
    std::string Save(const SSetupInfo& info) {
        ClFileHandle file = OpenScratchFile(path_, GENERIC_WRITE, CREATE_ALWAYS);
        int result = SetupInfoSave(&info, file.get());
        file.Close();
        return result ? ReadWholeFile(path_) : "<failed>";
    }

    TempDir dir_;
    std::string path_ = dir_.File("info.bin");
};

// Version, page bits 1, option bits 2, macros 8 and 16, extra number 7.
const std::string kHead = Hex("01 01000000 02000000 08 10 0700");

// A record of kHead, textCount texts "t<i>" and the given list part.
std::string RecordWith(int textCount, const std::string& listPart) {
    std::string bytes = kHead + static_cast<char>(textCount) + '\0';
    for (int i = 0; i < textCount; ++i) {
        std::string text = "t" + std::to_string(i);
        bytes += static_cast<char>(text.size()) + std::string(1, '\0') + text;
    }
    return bytes + listPart;
}

TEST_F(SetupInfoFile, ExampleRecordLoadsAndSavesByteForByte) {
    SSetupInfo info;
    ASSERT_EQ(Load(kExample, &info), 1);
    EXPECT_EQ(info.pageBits, 0xE3u);
    EXPECT_EQ(info.optionBits, 1u << 19);
    EXPECT_EQ(info.installFolderMacro, 20);
    EXPECT_EQ(info.registryRootMacro, 15);
    EXPECT_STREQ(info.texts[TEXT_INSTALL_TITLE],
                 "\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76");
    ASSERT_EQ(info.listCount, 4);
    EXPECT_STREQ(info.list[3], "WF\\d.txt");
    EXPECT_EQ(Save(info), kExample);

    // Texts beyond 22 are skipped, not taken for the list; null texts and list entries save as
    // empty ones.
    SSetupInfo extra;
    ASSERT_EQ(Load(RecordWith(25, Hex("0100 03000000") + "a\\b"), &extra), 1);
    ASSERT_EQ(extra.listCount, 1);
    EXPECT_STREQ(extra.list[0], "a\\b");
    SSetupInfo none;
    SetList(&none, {nullptr, "x\\y"});
    EXPECT_EQ(Save(none), Hex("01 00000000 00000000 00 00 0000 1600") + std::string(44, '\0') +
                              Hex("0200 00000000 03000000") + "x\\y");
    EXPECT_EQ(Load("\x02" + kExample.substr(1), &extra), 0) << "unknown version";
}

// A text's length is stored in 16 bits.
TEST_F(SetupInfoFile, SaveRefusesATextItsLengthCannotHold) {
    SSetupInfo info;
    ASSERT_EQ(SetupInfoSetText(&info, 1, std::string(0x10000, 'L').c_str()), 1);
    EXPECT_EQ(Save(info), "<failed>") << "its length would wrap and corrupt the record";
}

TEST(SetupInfo, ListNamesAndPathSlots) {
    SSetupInfo info;
    SetList(&info, {nullptr, "86\\App\\RUN.exe", "86\\App\\run.exe", "86\\\x83\x41\\run.exe"});
    EXPECT_EQ(SetupInfoFindName(&info, "86\\app\\run.EXE"), 1) << "first match, null skipped";
    EXPECT_EQ(SetupInfoFindName(&info, "86\\\x83\x61\\RUN.EXE"), -1) << "ヂ is not ア";
    EXPECT_EQ(SetupInfoFindName(&info, "86\\\x83\x41\\RUN.EXE"), 3);

    // One path slot of 260 bytes per list entry.
    const std::string longest(259, 'p');
    EXPECT_EQ(SetupInfoAddPath(&info, (longest + "p").c_str()), 0) << "longer than a slot";
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(SetupInfoAddPath(&info, i == 1 ? longest.c_str() : "C:\\a.exe"), 1) << i;
    EXPECT_EQ(SetupInfoAddPath(&info, "C:\\c.exe"), 0) << "all slots used";
    EXPECT_EQ(std::string(info.pathSlots + kSetupInfoPathSlotSize), longest);
}

}  // namespace
