// BitReader: reads one token section of a package entry, from a file through a caller-supplied
// buffer or straight from memory, so that a section in a file is never held whole. Bits are
// taken from the most significant bit of each byte down; a field of n bits is read most
// significant bit first and may straddle a byte boundary.
//
// Up to 63 bits wait in a 64-bit buffer, at least 56 after a fill, so that a whole prefix code
// with its payload is looked at and taken at once. A file section is refilled from its own
// position, so other readers may move the file between refills.
#pragma once

#include <cstdint>

#include "base/platform.h"

struct BitReader {
    // The most bits Need can promise.
    static constexpr int kMaxNeed = 56;

    // The section of sectionLength bytes at sectionOffset in the file, read in pieces of at most
    // bufferSize bytes. Fails if the section is empty or its first piece cannot be read.
    int Open(std::uint8_t* buffer, std::uint32_t bufferSize, HANDLE sectionFile,
             std::uint64_t sectionOffset, std::uint64_t sectionLength);
    // A section held in memory; fails if it is empty.
    int OpenBytes(const std::uint8_t* bytes, std::uint64_t length);

    // Makes at least count (at most kMaxNeed) bits ready. 0 when the section ends first or a
    // read fails; whatever was left is then ready all the same.
    int Need(int count) {
        if (bitCount >= count)
            return 1;
        if (end - cursor < 8)
            return FillByBytes(count);
        // Eight bytes at once; those that do not fit whole are taken again next time, and
        // ORing their leading bits in once more changes nothing.
        bits |= LoadBe64(cursor) >> bitCount;
        cursor += (63 - bitCount) >> 3;
        bitCount |= 56;  // plus the whole bytes taken: 56 to 63
        return 1;
    }
    // The next count bits (0 to kMaxNeed), right-aligned; bits past the section's end read 0.
    std::uint64_t Peek(int count) const { return (bits >> 1) >> (63 - count); }
    // Drops count ready bits.
    void Skip(int count) {
        bits <<= count;
        bitCount -= count;
    }
    // One bit, stored as 0 or 1.
    int ReadBit(std::uint8_t* out) { return ReadBits(1, out); }
    // A field of 1 to 8 bits, right-aligned in out; 0 if the section ends first.
    int ReadBits(int width, std::uint8_t* out) {
        if (!Need(width))
            return 0;
        *out = static_cast<std::uint8_t>(Peek(width));
        Skip(width);
        return 1;
    }

    // Reads the next min(remaining, buffer size) bytes of a file section into the buffer; 0 if
    // there are none or fewer arrive.
    int Refill();

    std::uint64_t bits;  // ready bits from the top down; below them only zeros or later bits
    int bitCount;        // how many bits of `bits` are ready
    const std::uint8_t* cursor;  // the next byte to move into `bits`
    const std::uint8_t* end;     // one past the last byte of the buffer (or of the memory)
    std::uint8_t* buffer;
    std::uint32_t bufferSize;
    HANDLE file;
    std::uint64_t offset;     // file position of the section's next unread byte
    std::uint64_t remaining;  // bytes of the section not yet read from the file

  private:
    // Spelled out byte by byte so that the compiler makes it one load and a byte swap.
    static std::uint64_t LoadBe64(const std::uint8_t* b) {
        return std::uint64_t{b[0]} << 56 | std::uint64_t{b[1]} << 48 | std::uint64_t{b[2]} << 40 |
               std::uint64_t{b[3]} << 32 | std::uint64_t{b[4]} << 24 | std::uint64_t{b[5]} << 16 |
               std::uint64_t{b[6]} << 8 | std::uint64_t{b[7]};
    }
    // Near the end of the buffer: byte by byte, refilling it as needed.
    int FillByBytes(int count);
};
