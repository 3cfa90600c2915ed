// BitReader: reads one token section of a package entry straight from an open file through a
// caller-supplied buffer, refilling from the file's current position as it goes, so that a
// section is never held whole. Bits are taken from the most significant bit of each byte down;
// a field of n bits is read most significant bit first and may straddle a byte boundary.
#pragma once

#include <cstdint>

#include "base/platform.h"

struct BitReader {
    // Opens a section of sectionLength bytes at the file's current position. Fails if the
    // auxiliary size is below 0x10000 or the first refill fails (so a section of length 0
    // cannot be opened).
    int Open(std::uint8_t* buffer, std::uint64_t bufferSize, std::uint8_t* auxiliary,
             std::uint32_t auxiliarySize, HANDLE sectionFile, std::int64_t sectionLength);
    // Reads the next min(remaining, buffer size) bytes into the buffer; 0 if there are none or
    // fewer arrive.
    int Refill();
    // One bit, stored as 0 or 1.
    int ReadBit(std::uint8_t* out);
    // A field of width 2, 3, 4 or 8 bits, right-aligned in out. An 8-bit read at a byte
    // boundary moves past its byte at once, so it fails if that byte ends the section.
    int ReadBits(int width, std::uint8_t* out);

    std::uint8_t scratch;
    std::int64_t remaining;
    std::uint8_t* cursor;
    std::uint8_t* buffer;
    std::uint8_t* end;
    std::uint64_t bufferSize;
    // Recorded for the size check in Open only; no read uses it.
    std::uint8_t* auxiliaryBuffer;
    std::uint32_t auxiliarySize;
    std::uint32_t reserved;
    HANDLE file;
    std::uint8_t spare;
    // 0-7: the next bit of the cursor byte, 0 being the most significant; 8: byte used up.
    std::uint8_t bitPosition;

  private:
    int MoveToNextByte();
    int Normalize();
};
