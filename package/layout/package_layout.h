// The package behind the setup program's image: where it starts, its byte layout, the file
// records of its directory and the file-index lists of its components. The builder (setupkit)
// and the setup program's own reader use these same definitions, so that what one writes the
// other reads.
//
// Package offset slot: the notice text below, its terminating NUL, then a u32 holding the file
// offset P of the package. The builder patches the slot in its copy of the program.
//
// Package at P (little-endian):
//   0      u64 D        length of the entry area
//   8      D bytes      entries, back to back: u64 S, then S bytes (selector byte, stage data)
//   8 + D  directory    file tree image, SSetupInfo record, setup tree image (to end of file)
//
// File record (data of a file-tree node):
//   0  u8   item flags (ITEM_*)          4  u32  file index
//   12 FILETIME creation   20 FILETIME last access   28 FILETIME last write
//   40 u64  absolute file offset of the entry (its S field)
//   48 shortcut name, description, arguments: three NUL-terminated strings
//   last four bytes: the log counter slot
// Folders carry the first 8 bytes only. Registry items carry 12 bytes (counter at 8); a key
// with the default-value check has the check mode at 8, the expected text from 9 with its NUL,
// then the counter.
//
// Component data (setup tree keys):
//   0 u8 selection bits (COMPONENT_*)   4 u32 sub-item count   8 u32 checked counter
//   12 description, NUL-terminated
#pragma once

#include <cstdint>

#include "base/platform.h"

class ClTree;
struct ClTreeNode;
struct SSetupInfo;

// The notice and its slot. The text's size with its NUL is a multiple of 4, so the slot
// follows it directly.
constexpr char kPackageNotice[] = "Quorvane setup: package offset follows:";
constexpr std::uint32_t kPackageNoticeSize = sizeof(kPackageNotice);
static_assert(kPackageNoticeSize % 4 == 0, "the slot must follow the NUL directly");

struct SPackageNotice {
    char text[kPackageNoticeSize];
    std::uint32_t packageOffset;
};
static_assert(sizeof(SPackageNotice) == kPackageNoticeSize + 4, "no padding before the slot");

// The program's own copy (read-only data); the builder patches its slot.
extern const volatile SPackageNotice g_packageNotice;

// The first copy of the notice in [begin, end) that has room for its slot behind it, or null.
// The builder uses it to find the slot it patches in the stub, the readers to find it in a
// setup executable.
const char* FindPackageNotice(const char* begin, const char* end);

// The patched slot of this program, widened to 64 bits (0 in an unpatched program).
std::uint64_t PackageOffsetFromSlot();

// Item flags (byte 0 of a file record).
constexpr std::uint8_t ITEM_DESKTOP_SHORTCUT = 0x01;
constexpr std::uint8_t ITEM_MENU_SHORTCUT = 0x02;
constexpr std::uint8_t ITEM_SHARED_DLL = 0x04;
constexpr std::uint8_t ITEM_DELETE_AT_RESTART = 0x08;
constexpr std::uint8_t ITEM_REGISTRY = 0x10;
constexpr std::uint8_t ITEM_NEVER_REMOVE = 0x20;
constexpr std::uint8_t ITEM_UNINSTALL_ONLY = 0x40;
constexpr std::uint8_t ITEM_DISPLAY_ICON = 0x80;
// For registry keys the two low bits mean something else.
constexpr std::uint8_t ITEM_KEY_CHECK_DEFAULT = 0x01;
constexpr std::uint8_t ITEM_KEY_RECURSIVE = 0x02;

// Default-value check modes of a registry key (byte 8 of its record).
constexpr std::uint8_t KEY_CHECK_EXACT = 0;
constexpr std::uint8_t KEY_CHECK_NOCASE = 1;
constexpr std::uint8_t KEY_CHECK_PARENT_EXACT = 2;
constexpr std::uint8_t KEY_CHECK_PARENT_NOCASE = 3;

constexpr std::uint32_t kRecordFlags = 0;
constexpr std::uint32_t kRecordIndex = 4;
constexpr std::uint32_t kRecordCreationTime = 12;
constexpr std::uint32_t kRecordAccessTime = 20;
constexpr std::uint32_t kRecordWriteTime = 28;
constexpr std::uint32_t kRecordEntryOffset = 40;
constexpr std::uint32_t kRecordShortcuts = 48;
constexpr std::uint32_t kFolderRecordSize = 8;
constexpr std::uint32_t kRegistryRecordSize = 12;
constexpr std::uint32_t kRegistryCheckMode = 8;
constexpr std::uint32_t kRecordCounterSize = 4;
// A file record without shortcut text: header, three empty strings, counter.
constexpr std::uint32_t kFileRecordMinSize = kRecordShortcuts + 3 + kRecordCounterSize;
// The index of items that stem from no package record.
constexpr std::uint32_t kNoFileIndex = 0xFFFFFFFF;

// Component selection bits and data block.
constexpr std::uint8_t COMPONENT_CUSTOM = 0x01;
constexpr std::uint8_t COMPONENT_STANDARD = 0x02;
constexpr std::uint32_t kComponentSubItems = 4;
constexpr std::uint32_t kComponentChecked = 8;
constexpr std::uint32_t kComponentDescription = 12;

// Opcodes of a file-index list.
constexpr std::uint8_t FILE_LIST_END = 0;
constexpr std::uint8_t FILE_LIST_ONE = 1;
constexpr std::uint8_t FILE_LIST_SOME = 2;
constexpr std::uint8_t FILE_LIST_RANGE = 3;

// Reads a file-index list one index at a time, never past its end. Start it with
// FileListBegin; FileListNext gives 1 and an index, or 0 at the end of the list. The end is
// also reached on malformed data (an unknown opcode, an operand cut off by the block's end, a
// missing end opcode): then malformed is 1.
struct SFileListCursor {
    const std::uint8_t* at;
    const std::uint8_t* end;
    std::uint32_t pending;  // indexes still to come from the current opcode
    std::uint32_t next;     // the next index of a range
    std::uint8_t opcode;
    std::uint8_t malformed;
};

void FileListBegin(SFileListCursor* cursor, const std::uint8_t* data, std::uint32_t length);
int FileListNext(SFileListCursor* cursor, std::uint32_t* index);

// Little-endian fields of records, read from a block of known length; 0 when the field does
// not lie inside the block.
int RecordReadU32(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                  std::uint32_t* value);
int RecordReadU64(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset,
                  std::uint64_t* value);

// Why opening a package failed. The setup program shows message 20 for PACKAGE_FAIL_SEEK and
// message 8 (reading failed) for every other failure; the host tool names the part.
enum PackageFailure {
    PACKAGE_FAIL_NONE,
    PACKAGE_FAIL_SEEK,        // the package or its directory lies beyond the file
    PACKAGE_FAIL_READ,        // the entry area's length (or an entry's) cannot be read
    PACKAGE_FAIL_FILE_TREE,   // the file tree image is damaged or cut short
    PACKAGE_FAIL_SETUP_INFO,  // the setup information record is damaged or cut short
    PACKAGE_FAIL_SETUP_TREE,  // the setup tree image is damaged or cut short
};

// Reads the directory of the package at packageOffset into the two trees (loaded with option
// 0) and the record: reads D, moves behind the entry area, loads the file tree, the setup
// information and the setup tree. entryAreaLength (may be null) receives D. 1 on success;
// otherwise 0 and the failing step in failure (may be null).
int PackageLoadDirectory(HANDLE file, std::uint64_t packageOffset, ClTree* fileTree,
                         SSetupInfo* info, ClTree* setupTree, std::uint64_t* entryAreaLength,
                         PackageFailure* failure);

// The file-tree node whose record carries index, searched among named nodes with data in walk
// order, starting at *hint (null: the tree's start) and wrapping round once. The node found
// becomes the new hint. Null when no record carries the index.
ClTreeNode* PackageFindItem(ClTree* fileTree, std::uint32_t index, ClTreeNode** hint);

// Moves the program file to an entry (the absolute offset of a file record) and reads its
// stored length S, leaving the file at the selector byte. 1, or 0 with the failing step.
int PackageOpenEntry(HANDLE file, std::uint64_t entryOffset, std::uint64_t* storedLength,
                     PackageFailure* failure);
