#include "package/entry_encoder.h"

#include <new>

#include "base/file_io.h"
#include "package/codec_format.h"

namespace {

constexpr std::size_t kChainSampleSize = 4u << 20;
constexpr int kFastMatchCandidates = 12;

int EncodeChain(const std::uint8_t* data, std::size_t size, EntryChain chain,
                const EncodeEffort& effort, ByteVector* entry) {
    ByteVector inner;
    entry->clear();
    if (chain == EntryChain::kZeroRuns) {
        entry->push_back(kSelectorZeroRunChain);
        return EncodeThreeLevelLz(data, size, effort, &inner) &&
               EncodeFillRuns(inner.data(), inner.size(), kZeroRunFill, entry);
    }
    entry->push_back(kSelectorNibbleChain);
    return EncodeNibblePlanes(data, size, &inner) &&
           EncodeThreeLevelLz(inner.data(), inner.size(), effort, entry);
}

// Encodes with both chains and keeps the smaller entry; the zero-run chain on a tie.
int EncodeSmaller(const std::uint8_t* data, std::size_t size, const EncodeEffort& effort,
                  ByteVector* entry) {
    ByteVector other;
    if (!EncodeChain(data, size, EntryChain::kZeroRuns, effort, entry) ||
        !EncodeChain(data, size, EntryChain::kNibblePlanes, effort, &other))
        return 0;
    if (other.size() < entry->size())
        entry->swap(other);
    return 1;
}

int ReadRest(HANDLE file, ByteVector* data) {
    std::uint64_t size = 0, position = 0;
    if (!GetFileSize64(file, &size) || !GetFilePosition(file, &position) || position > size ||
        size - position > 0xFFFFFFFFu)
        return 0;
    data->resize(static_cast<std::size_t>(size - position));
    return data->empty() ||
           ReadFileAll(file, data->data(), static_cast<std::uint32_t>(data->size()));
}

}  // namespace

int EncodeEntry(const std::uint8_t* data, std::size_t size, EntryChain chain, ByteVector* entry) {
    try {
        EncodeEffort effort;
        bool fast = size > kFastModeThreshold;
        if (fast) {
            effort.matchCandidates = kFastMatchCandidates;
            effort.fast = true;
        }
        if (chain == EntryChain::kSmaller) {
            if (!fast)
                return EncodeSmaller(data, size, effort, entry);
            if (!EncodeSmaller(data, kChainSampleSize, effort, entry))
                return 0;
            chain = (*entry)[0] == kSelectorZeroRunChain ? EntryChain::kZeroRuns
                                                         : EntryChain::kNibblePlanes;
        }
        return EncodeChain(data, size, chain, effort, entry);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int EncodeEntryHandles(HANDLE source, HANDLE output, EntryChain chain, std::uint64_t* entrySize) {
    ByteVector data, entry;
    try {
        if (!ReadRest(source, &data))
            return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!EncodeEntry(data.data(), data.size(), chain, &entry) || entry.size() > 0xFFFFFFFFu ||
        !WriteFileAll(output, entry.data(), static_cast<std::uint32_t>(entry.size())))
        return 0;
    if (entrySize)
        *entrySize = entry.size();
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
