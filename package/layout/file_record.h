// The file record: the data of a file-tree node of the package, one per installable item
// (folder, file, registry key or value). The install log copies it for the items it records.
//
// Byte map (little-endian). Every record starts with the same 8 bytes:
//   0   u8        item flags (ITEM_*)
//   1   3 bytes   zero
//   4   u32       file index: the number by which file-index lists name the item
//                 (kNoFileIndex for log entries that stem from no package record)
// Folder: those 8 bytes only.
// File:
//   8   4 bytes   zero
//   12  FILETIME  creation time
//   20  FILETIME  last access time
//   28  FILETIME  last write time
//   36  4 bytes   zero
//   40  u64       absolute offset, in the program file, of the file's entry (its length field)
//   48  shortcut name, description, arguments: three NUL-terminated strings
//   end-4 u32     counter slot of the install log
// Registry value, or key without the default-value check:
//   8   u32       counter slot
// Registry key with ITEM_KEY_CHECK_DEFAULT:
//   8   u8        check mode (KEY_CHECK_*)
//   9   the expected default value, NUL-terminated
//   end-4 u32     counter slot
// Whether a record is a folder or file, key or value, is the node's own kind; ITEM_REGISTRY
// tells registry items from file-system items.
#pragma once

#include <cstdint>

#include "base/platform.h"

// Item flags (byte 0).
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

// Default-value check modes of a registry key.
constexpr std::uint8_t KEY_CHECK_EXACT = 0;
constexpr std::uint8_t KEY_CHECK_NOCASE = 1;
constexpr std::uint8_t KEY_CHECK_PARENT_EXACT = 2;
constexpr std::uint8_t KEY_CHECK_PARENT_NOCASE = 3;

// The index of items that stem from no package record.
constexpr std::uint32_t kNoFileIndex = 0xFFFFFFFF;
// The bytes every record starts with: flags and file index.
constexpr std::uint32_t kRecordHeadSize = 8;
// The counter slot at the end of file and registry records.
constexpr std::uint32_t kRecordCounterSize = 4;

enum RecordKind : std::uint8_t {
    RECORD_FOLDER,          // key node, ITEM_REGISTRY clear
    RECORD_FILE,            // value node, ITEM_REGISTRY clear
    RECORD_REGISTRY_KEY,    // key node, ITEM_REGISTRY set
    RECORD_REGISTRY_VALUE,  // value node, ITEM_REGISTRY set
};

// One record's fields. The strings point into the record's data (or, for the writer, to the
// caller's strings; null writes an empty string).
struct SFileRecord {
    RecordKind kind = RECORD_FOLDER;
    std::uint8_t flags = 0;
    std::uint32_t index = 0;
    // Files:
    FILETIME creationTime = {};
    FILETIME accessTime = {};
    FILETIME writeTime = {};
    std::uint64_t entryOffset = 0;
    const char* shortcutName = nullptr;
    const char* shortcutDescription = nullptr;
    const char* shortcutArguments = nullptr;
    // Registry keys with ITEM_KEY_CHECK_DEFAULT:
    std::uint8_t checkMode = 0;
    const char* checkText = nullptr;
};

// Reads the record of a node (isKey: the node is a key) from its data block. The kind follows
// from isKey and the flags. 1 when the block holds every field of its kind, each string
// terminated before the counter slot; 0 otherwise, with kind, flags and index filled in as far
// as the block holds them (a block of fewer than 8 bytes has no index).
int FileRecordRead(const std::uint8_t* data, std::uint32_t length, int isKey, SFileRecord* record);
// The file index of any record: 1, or 0 when the block is shorter than 8 bytes.
int FileRecordReadIndex(const std::uint8_t* data, std::uint32_t length, std::uint32_t* index);

// The number of bytes FileRecordWrite writes for the record's kind.
std::uint32_t FileRecordSize(const SFileRecord* record);
// Writes the record as its kind lays it out into out (FileRecordSize bytes); unused bytes and
// the counter slot are zero.
void FileRecordWrite(const SFileRecord* record, std::uint8_t* out);

// Patch one field of a written record in place; 0 when the block is too short for it.
int FileRecordSetIndex(std::uint8_t* data, std::uint32_t length, std::uint32_t index);
int FileRecordSetEntryOffset(std::uint8_t* data, std::uint32_t length, std::uint64_t offset);
