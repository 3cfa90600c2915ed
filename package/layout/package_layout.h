// The package behind the setup program's image: where it starts, its byte layout and its
// directory. The builder (setupkit) and the setup program's own reader use these same
// definitions, so that what one writes the other reads.
//
// Package offset slot: the notice text below, its terminating NUL, then a u32 holding the file
// offset P of the package. The builder patches the slot in its copy of the program.
//
// Package at P (little-endian):
//   0      u64 D        length of the entry area
//   8      D bytes      entries, back to back: u64 S, then S bytes (selector byte, stage data)
//   8 + D  directory    file tree image, SSetupInfo record, setup tree image (to end of file)
//
// The file tree's nodes carry file records (package/layout/file_record.h); the setup tree's
// disk nodes carry file-index lists (package/layout/file_index_list.h).
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

// Component selection bits and data block.
constexpr std::uint8_t COMPONENT_CUSTOM = 0x01;
constexpr std::uint8_t COMPONENT_STANDARD = 0x02;
constexpr std::uint32_t kComponentSubItems = 4;
constexpr std::uint32_t kComponentChecked = 8;
constexpr std::uint32_t kComponentDescription = 12;

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
