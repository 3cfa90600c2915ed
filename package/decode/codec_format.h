// The byte layout of a compressed package entry, shared by the decoder (SCompress) and the
// host tool's encoder.
//
//   entry:     [0] chain selector   [1..S) data of the first decoding stage
//              selector 0 -> methods (1, 2): method 2 reads the entry, method 1 writes the file
//              other      -> methods (4, 1): method 1 reads the entry, method 4 writes the file
//   method 0:  eight bit planes of n bits each, back to back (n = the stage's input length)
//   method 1:  u32 A, u32 B, u32 C, u32 D | level-1 tokens (A) | level-2 tokens (B)
//              | level-3 tokens (C) | raw literals (D)
//   method 2/3/5: u32 X, u32 Y | tokens (X) | literals (Y)
//   method 4:  u32 X, u32 Y | tokens (X) | nibble source (Y): u32 N, then 4-bit values,
//              the high half of each byte first
// Numbers are little-endian; token sections are bit streams read most significant bit first.
#pragma once

#include <cstdint>

#include "base/little_endian.h"

enum CodecMethod : std::uint8_t {
    kMethodBitPlanes = 0,
    kMethodThreeLevelLz = 1,
    kMethodZeroRuns = 2,
    kMethodCcRuns = 3,
    kMethodNibblePlanes = 4,
    kMethodLiteralLz = 5,
};
constexpr int kCodecMethodCount = 6;

constexpr std::uint8_t kSelectorZeroRunChain = 0;  // methods (1, 2)
constexpr std::uint8_t kSelectorNibbleChain = 1;   // methods (4, 1); any non-zero value

// Each section length of a method's header is a u32; the sections follow the header.
constexpr std::uint32_t kSectionLengthBytes = 4;
constexpr std::uint32_t kTwoSectionHeaderBytes = 2 * kSectionLengthBytes;

constexpr std::uint8_t kZeroRunFill = 0x00;
constexpr std::uint8_t kCcRunFill = 0xCC;

constexpr std::uint32_t kCodecOutputBufferSize = 0x20000;
constexpr std::uint32_t kCodecInputBufferSize = 0x20000;
constexpr std::uint32_t kCodecInputBufferAllocated = 0x20001;
constexpr std::uint32_t kCodecAuxiliarySize = 0x1FFFE;
constexpr std::uint32_t kCodecAuxiliaryAllocated = 0x200FD;
constexpr std::uint32_t kCodecWindowSize = 0x200FD;
constexpr std::uint32_t kCodecWindowAllocated = 0x201FC;

// A match reaches back at most 255 literals; the window keeps 256 of them when it wraps.
constexpr std::uint32_t kHistoryKeep = 256;
// Literals are taken into the window in pieces of at most this many bytes (0x1FFFD).
constexpr std::uint32_t kLiteralPieceMax = kCodecWindowSize - kHistoryKeep;

constexpr std::uint32_t kLiteralCountMax = 0xFFFFFFFFu;
constexpr std::uint32_t kMatchLengthMin = 2;
constexpr std::uint32_t kMatchLengthMax = 257;
constexpr std::uint32_t kMatchDistanceMax = 255;
constexpr std::uint32_t kRepeatMax = 4096;
constexpr std::uint32_t kFillRunMin = 2;
constexpr std::uint32_t kBlockCountMin = 5;
constexpr std::uint32_t kBlockCountMax = 65535 + kBlockCountMin;
constexpr std::uint32_t kBlockChannelsMax = 4;
