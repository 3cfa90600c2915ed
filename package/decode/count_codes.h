// The variable-length codes of the token streams: literal counts, fill-run counts, block
// counts and the three match fields. Each code has a reader (decoder), a writer (encoder) and
// a cost in bits (the encoder's parsers), kept side by side so that they cannot drift apart.
//
//   literal count  0+4 | 10+2+4 | 110+2+8 | 1110+4+8 | 11110+8+8 | 11111+32       (value)
//   fill run       0+4 | 10+8 | 110+4+8 | 1110+8+8 | 1111+32            (run = value + 2)
//   block count    0+4 | 10+8 | 110+4+8 | 111+8+8                      (count = value + 5)
//   match length   0 (3) | 10+3 (value + 2) | 11+8 (value + 2)
//   distance       0+4 | 1+8, or 1+2+4 with the short-distance flag    ((value + 2) mod 256)
//   repeat         0 (1) | 10+2 | 110+4 | 1110+8 | 1111+4+8                   (value + 1)
#pragma once

#include <cstdint>

#include "package/decode/bit_reader.h"
#include "package/decode/bit_writer.h"

int ReadLiteralCount(BitReader* reader, std::uint32_t* count);
// The run length in bytes (value + 2), up to 2^32 + 1.
int ReadFillRun(BitReader* reader, std::uint64_t* length);
// The count (value + 5), 5 to 65,540.
int ReadBlockCount(BitReader* reader, std::uint32_t* count);
// A match's length (2 to 257), distance and repeat count (1 to 4,096), read in that order.
// The distance is 0-255, computed in 8 bits as the format defines it.
int ReadMatch(BitReader* reader, int shortDistances, std::uint32_t* length, std::uint32_t* distance,
              std::uint32_t* repeat);

void WriteLiteralCount(BitWriter* writer, std::uint32_t count);
// Literal tokens (a 0 bit and a literal count) for count items, at most perToken each.
void WriteLiteralTokens(BitWriter* writer, std::uint64_t count, std::uint32_t perToken);
void WriteFillRun(BitWriter* writer, std::uint64_t length);      // 2 to 2^32 + 1
void WriteBlockCount(BitWriter* writer, std::uint32_t count);    // 5 to 65,540
void WriteMatchLength(BitWriter* writer, std::uint32_t length);  // 2 to 257
// 2 to 255 (2 to 65 with short distances); 1 only without short distances.
void WriteMatchDistance(BitWriter* writer, int shortDistances, std::uint32_t distance);
void WriteRepeatCount(BitWriter* writer, std::uint32_t repeat);  // 1 to 4,096

int LiteralCountBits(std::uint32_t count);
int BlockCountBits(std::uint32_t count);
int MatchLengthBits(std::uint32_t length);
// 0 when the distance cannot be expressed.
int MatchDistanceBits(int shortDistances, std::uint32_t distance);
int RepeatCountBits(std::uint32_t repeat);
