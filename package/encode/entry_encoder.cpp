#include "package/encode/entry_encoder.h"

#include "base/file_io.h"
#include "base/temp_file.h"
#include "package/decode/codec_format.h"

namespace {

constexpr std::uint64_t kChainSampleSize = 4u << 20;
constexpr int kFastMatchCandidates = 12;

// Writes the entry of size input bytes from offset on, at the output's current position.
int EncodeChain(HANDLE source, std::uint64_t offset, std::uint64_t size, EntryChain chain,
                const EncodeEffort& effort, HANDLE output) {
    const std::uint8_t selector =
        chain == EntryChain::kZeroRuns ? kSelectorZeroRunChain : kSelectorNibbleChain;
    ClTempFile inner;
    std::uint64_t innerSize = 0;
    if (!WriteFileAll(output, &selector, 1) || !inner.Create())
        return 0;
    if (chain == EntryChain::kZeroRuns)
        return EncodeThreeLevelLz(source, offset, size, effort, inner.handle()) &&
               inner.Size(&innerSize) &&
               EncodeFillRuns(inner.handle(), 0, innerSize, kZeroRunFill, output);
    return EncodeNibblePlanes(source, offset, size, inner.handle()) && inner.Size(&innerSize) &&
           EncodeThreeLevelLz(inner.handle(), 0, innerSize, effort, output);
}

// Encodes with both chains into temporary files; the smaller entry (the zero-run chain's on a
// tie) goes to the output when copy is set, and its chain to chosen.
int EncodeSmaller(HANDLE source, std::uint64_t offset, std::uint64_t size,
                  const EncodeEffort& effort, bool copy, HANDLE output, EntryChain* chosen) {
    ClTempFile zeroRuns, nibblePlanes;
    std::uint64_t zeroRunsSize = 0, nibblePlanesSize = 0;
    if (!zeroRuns.Create() || !nibblePlanes.Create() ||
        !EncodeChain(source, offset, size, EntryChain::kZeroRuns, effort, zeroRuns.handle()) ||
        !EncodeChain(source, offset, size, EntryChain::kNibblePlanes, effort,
                     nibblePlanes.handle()) ||
        !zeroRuns.Size(&zeroRunsSize) || !nibblePlanes.Size(&nibblePlanesSize))
        return 0;
    const bool nibbles = nibblePlanesSize < zeroRunsSize;
    *chosen = nibbles ? EntryChain::kNibblePlanes : EntryChain::kZeroRuns;
    return !copy || (nibbles ? nibblePlanes : zeroRuns).CopyTo(output);
}

}  // namespace

int EncodeEntryHandles(HANDLE source, HANDLE output, EntryChain chain, std::uint64_t* entrySize) {
    std::uint64_t offset = 0, end = 0, start = 0, finish = 0;
    if (!GetFilePosition(source, &offset) || !GetFileSize64(source, &end) || offset > end ||
        end - offset > 0xFFFFFFFFu || !GetFilePosition(output, &start))
        return 0;
    const std::uint64_t size = end - offset;
    EncodeEffort effort;
    const bool fast = size > kFastModeThreshold;
    if (fast) {
        effort.matchCandidates = kFastMatchCandidates;
        effort.fast = true;
    }
    if (chain == EntryChain::kSmaller) {
        if (!fast) {
            if (!EncodeSmaller(source, offset, size, effort, true, output, &chain))
                return 0;
        } else if (!EncodeSmaller(source, offset, kChainSampleSize, effort, false, output,
                                  &chain) ||
                   !EncodeChain(source, offset, size, chain, effort, output)) {
            return 0;
        }
    } else if (!EncodeChain(source, offset, size, chain, effort, output)) {
        return 0;
    }
    if (!GetFilePosition(output, &finish) || finish - start > 0xFFFFFFFFu)
        return 0;
    if (entrySize)
        *entrySize = finish - start;
    return 1;
}

int EncodeEntryFile(const char* inputPath, const char* outputPath, EntryChain chain,
                    std::uint64_t* entrySize) {
    HANDLE source = CreateFileA(inputPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE)
        return 0;
    HANDLE output = CreateFileA(outputPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    int ok = output != INVALID_HANDLE_VALUE && EncodeEntryHandles(source, output, chain, entrySize);
    CloseHandle(source);
    if (output != INVALID_HANDLE_VALUE && !CloseHandle(output))
        ok = 0;
    return ok;
}
