// The file-index list: the data of a component's disk node in the setup tree, naming the file
// records (by their file index) that the component installs from that disk.
//
// Byte code, read from the start (integers little-endian):
//   00                              end of the list
//   01 u32 index                    one index
//   02 count, count x u32 index     several indexes; count is a varint (7 bits a byte, low
//                                   group first, bit 0x80 on every byte but the last)
//   03 u32 first, u32 last          every index from first to last; nothing when first > last
// A byte outside 00-03 ends the list as the install run reads it.
#pragma once

#include <cstdint>

constexpr std::uint8_t FILE_LIST_END = 0;
constexpr std::uint8_t FILE_LIST_ONE = 1;
constexpr std::uint8_t FILE_LIST_SOME = 2;
constexpr std::uint8_t FILE_LIST_RANGE = 3;

// Indexes first to last, inclusive; first <= last.
struct SFileIndexRange {
    std::uint32_t first;
    std::uint32_t last;
};

// Walks a list one range at a time, never past its block, never expanding a range.
struct SFileIndexListReader {
    const std::uint8_t* at;
    const std::uint8_t* end;
    std::uint32_t pending;  // indexes of opcode 02 still to come
    std::uint8_t malformed;
};

void FileIndexListBegin(SFileIndexListReader* reader, const std::uint8_t* data,
                        std::uint32_t length);
// 1 with the next range in order of the list (single indexes as ranges of one), or 0 at the
// end. The end comes with opcode 00 or, with malformed set, at an opcode outside 00-03, an
// operand cut off by the block's end, or a block without opcode 00.
int FileIndexListNext(SFileIndexListReader* reader, SFileIndexRange* range);

// Writes the list of count ascending, distinct indexes into out: runs of three or more as
// ranges, one index between them as 01, several as 02, then 00. With a null out only counts.
// Returns the list's size in bytes.
std::uint32_t FileIndexListWrite(const std::uint32_t* indexes, std::uint32_t count,
                                 std::uint8_t* out);
