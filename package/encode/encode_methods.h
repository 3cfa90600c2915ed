// The encoder side of the six coding methods, used by the host tool to build packages. Each
// encoder turns bytes into the stage data that the matching SCompress method decodes back
// exactly; the same input always gives the same bytes.
//
// Every encoder reads the size bytes of input that start at offset and writes its stage data
// at the output's current position. They stream: memory stays at a few fixed buffers whatever
// the size, and sections whose lengths the header needs first are gathered in temporary files
// (ClTempFile) and copied behind the header at the end. Each returns 1, or 0 if a read,
// a write, a temporary file or a buffer fails or a section would not fit its 32-bit length.
#pragma once

#include <cstdint>

#include "base/platform.h"

struct EncodeEffort {
    // Candidates examined per position by the literal-LZ match search.
    int matchCandidates = 48;
    // Fast mode: each literal-LZ level chooses its short-distance setting on a leading sample
    // and parses the whole input once, instead of twice.
    bool fast = false;
};

// Method 0: the eight bit planes of the bytes, back to back (eight passes over the input).
int EncodeBitPlanes(HANDLE input, std::uint64_t offset, std::uint64_t size, HANDLE output);
// Method 1: three levels of literal LZ, each level's literals split into bit planes for the
// next.
int EncodeThreeLevelLz(HANDLE input, std::uint64_t offset, std::uint64_t size,
                       const EncodeEffort& effort, HANDLE output);
// Methods 2 and 3: runs of the fill byte and literal runs.
int EncodeFillRuns(HANDLE input, std::uint64_t offset, std::uint64_t size, std::uint8_t fill,
                   HANDLE output);
// Method 4: nibble planes with literal runs and blocks of 1 to 4 channels (two passes over the
// input). 0 for inputs of 4 GiB and more (the output length is a u32).
int EncodeNibblePlanes(HANDLE input, std::uint64_t offset, std::uint64_t size, HANDLE output);
// Method 5: one level of literal LZ.
int EncodeLiteralLz(HANDLE input, std::uint64_t offset, std::uint64_t size,
                    const EncodeEffort& effort, HANDLE output);
// Any method by number; 0 for an unknown one.
int EncodeMethod(std::uint8_t method, HANDLE input, std::uint64_t offset, std::uint64_t size,
                 const EncodeEffort& effort, HANDLE output);
