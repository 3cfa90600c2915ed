#include "package/layout/file_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(const char* text, std::size_t size) {
    return Bytes(text, text + size);
}

Bytes Written(const SFileRecord& record) {
    Bytes bytes(FileRecordSize(&record), 0xCC);
    FileRecordWrite(&record, bytes.data());
    return bytes;
}

// clang-format off
const char kFile[] =
    "\x83\x00\x00\x00" "\x07\x00\x00\x00"  // desktop, menu, display icon; index 7
    "\x00\x00\x00\x00"
    "\x01\x02\x03\x04\x05\x06\x07\x08"     // creation
    "\x11\x12\x13\x14\x15\x16\x17\x18"     // last access
    "\x21\x22\x23\x24\x25\x26\x27\x28"     // last write
    "\x00\x00\x00\x00"
    "\x08\xC0\x07\x00\x00\x00\x00\x00"     // entry at 0x7C008
    "\x8A\xC6\x8C\x76.lnk\0"               // 家計.lnk
    "Book\0"
    "\0"
    "\x00\x00\x00\x00";                    // counter
const char kCheckedKey[] =
    "\x11\x00\x00\x00" "\x09\x00\x00\x00"  // registry, check default; index 9
    "\x01" "App\0"                         // mode nocase, text
    "\x00\x00\x00\x00";
// clang-format on

TEST(FileRecord, EveryKindAgainstKnownBytes) {
    SFileRecord file;
    file.kind = RECORD_FILE;
    file.flags = ITEM_DESKTOP_SHORTCUT | ITEM_MENU_SHORTCUT | ITEM_DISPLAY_ICON;
    file.index = 7;
    file.creationTime = {0x04030201, 0x08070605};
    file.accessTime = {0x14131211, 0x18171615};
    file.writeTime = {0x24232221, 0x28272625};
    file.entryOffset = 0x7C008;
    file.shortcutName = "\x8A\xC6\x8C\x76.lnk";
    file.shortcutDescription = "Book";  // arguments null: written empty
    const Bytes fileBytes = Of(kFile, sizeof kFile - 1);
    EXPECT_EQ(Written(file), fileBytes);

    // What is read writes the same bytes again. Records cut short are the fuzzers' part.
    SFileRecord read;
    ASSERT_EQ(FileRecordRead(fileBytes.data(), sizeof kFile - 1, 0, &read), 1);
    EXPECT_EQ(Written(read), fileBytes);

    SFileRecord key;
    key.kind = RECORD_REGISTRY_KEY;
    key.flags = ITEM_REGISTRY | ITEM_KEY_CHECK_DEFAULT;
    key.index = 9;
    key.checkMode = KEY_CHECK_NOCASE;
    key.checkText = "App";
    const Bytes keyBytes = Of(kCheckedKey, sizeof kCheckedKey - 1);
    EXPECT_EQ(Written(key), keyBytes);
    ASSERT_EQ(FileRecordRead(keyBytes.data(), sizeof kCheckedKey - 1, 1, &read), 1);
    EXPECT_EQ(Written(read), keyBytes);

    // The Uninstall key's own log record: registry, no file index, counter at 8.
    SFileRecord uninstallKey{RECORD_REGISTRY_KEY, ITEM_REGISTRY, kNoFileIndex};
    EXPECT_EQ(Written(uninstallKey), Of("\x10\0\0\0\xFF\xFF\xFF\xFF\0\0\0\0", 12));
    SFileRecord folder{RECORD_FOLDER, ITEM_NEVER_REMOVE, 3};
    EXPECT_EQ(Written(folder), Of("\x20\0\0\0\x03\0\0\0", 8));
}

}  // namespace
