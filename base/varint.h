// The 7-bit varint of the tree files and of the run data blocks: seven bits a byte, least
// significant group first, bit 0x80 on every byte but the last.
#pragma once

#include <cstdint>

#include "base/platform.h"

// Decodes one varint from memory, in 32 bits; returns the number of bytes it took. The
// caller guarantees that a byte below 0x80 follows within its buffer.
int DecodeVarint(const std::uint8_t* bytes, std::uint32_t* value);
// Reads one varint from the file's current position, at most 8 bytes. With a budget, each byte
// costs 1, and the budget must be at least 1 before each byte. 1, or 0 on failure.
int ReadVarint(HANDLE file, std::uint32_t* value, std::int64_t* budget);
// Encodes value into out (5 bytes at most); returns the number of bytes written.
int EncodeVarint(std::uint32_t value, std::uint8_t* out);
