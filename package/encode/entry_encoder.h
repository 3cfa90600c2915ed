// The host tool's package entry encoder: one input, one entry (selector byte and stage data)
// that SCompress::ExpandEntry expands back exactly. Deterministic: the same input and chain
// give the same bytes on every machine. It streams like the decoder: a few fixed buffers,
// intermediate stages and sections in temporary files, whatever the input's size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/platform.h"
#include "package/encode/encode_methods.h"

enum class EntryChain {
    kZeroRuns,      // selector 0: three-level LZ, then zero-run coding
    kNibblePlanes,  // selector 1: nibble planes, then three-level LZ
    kSmaller,       // both, keeping the smaller entry
};

// Inputs above this size are encoded in fast mode: fewer match candidates, and the chain
// chosen on a leading sample instead of on the whole input.
constexpr std::size_t kFastModeThreshold = 16u << 20;

// Encodes everything from the source's current position to its end into one entry written
// at the output's current position, leaving the output behind the entry; the entry's size goes
// to entrySize if given. 1, or 0 if reading, writing or encoding fails, or if the input or the
// entry is 4 GiB or larger (the format's lengths are 32-bit).
int EncodeEntryHandles(HANDLE source, HANDLE output, EntryChain chain, std::uint64_t* entrySize);
// Encodes the file at inputPath into a new file at outputPath; the entry's size goes to
// entrySize if given. 1, or 0 if a file cannot be read or written or encoding fails.
int EncodeEntryFile(const char* inputPath, const char* outputPath, EntryChain chain,
                    std::uint64_t* entrySize);
