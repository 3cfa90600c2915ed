// The encoder side of the six coding methods, used by the host tool to build packages. Each
// encoder turns bytes into the stage data that the matching SCompress method decodes back
// exactly; the same input always gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using ByteVector = std::vector<std::uint8_t>;

struct EncodeEffort {
    // Candidates examined per position by the literal-LZ match search.
    int matchCandidates = 48;
    // Fast mode: each literal-LZ level chooses its short-distance setting on a leading sample
    // and parses the whole input once, instead of twice.
    bool fast = false;
};

// Method 0: the eight bit planes of the bytes, back to back.
ByteVector EncodeBitPlanes(const std::uint8_t* data, std::size_t size);
// Method 1: three levels of literal LZ, each level's literals split into bit planes for the
// next. 0 if a section would not fit its 32-bit length.
int EncodeThreeLevelLz(const std::uint8_t* data, std::size_t size, const EncodeEffort& effort,
                       ByteVector* stage);
// Methods 2 and 3: runs of the fill byte and literal runs.
int EncodeFillRuns(const std::uint8_t* data, std::size_t size, std::uint8_t fill,
                   ByteVector* stage);
// Method 4: nibble planes with literal runs and blocks of 1 to 4 channels. 0 for inputs of
// 4 GiB and more (the output length is a u32).
int EncodeNibblePlanes(const std::uint8_t* data, std::size_t size, ByteVector* stage);
// Method 5: one level of literal LZ.
int EncodeLiteralLz(const std::uint8_t* data, std::size_t size, const EncodeEffort& effort,
                    ByteVector* stage);
// Any method by number; 0 for an unknown one.
int EncodeMethod(std::uint8_t method, const std::uint8_t* data, std::size_t size,
                 const EncodeEffort& effort, ByteVector* stage);

// Appends u32 little-endian section lengths and the sections; 0 if a length exceeds 32 bits.
int AppendSections(std::initializer_list<const ByteVector*> sections, ByteVector* stage);
