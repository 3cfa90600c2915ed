#include "package/decode/compress.h"

#include <cstdlib>
#include <cstring>

#include "base/file_io.h"
#include "package/decode/borrowed_stream.h"
#include "package/decode/codec_format.h"

namespace {

constexpr std::uint32_t kTempNameCapacity = MAX_PATH;

std::uint8_t* AllocateBytes(std::uint32_t size) {
    return static_cast<std::uint8_t*>(std::malloc(size));
}

char* AllocateName() {
    return static_cast<char*>(std::calloc(SCompress::kNameBufferSize, 1));
}

template <typename T>
void FreeBlock(T*& block) {
    std::free(block);
    block = nullptr;
}

}  // namespace

SCompress::~SCompress() {
    Release();
}

int SCompress::Initialize() {
    Release();
    outputBuffer = AllocateBytes(kCodecOutputBufferSize);
    inputBuffer = AllocateBytes(kCodecInputBufferAllocated);
    if (outputBuffer == nullptr || inputBuffer == nullptr) {
        Release();
        return 0;
    }
    outputBufferSize = kCodecOutputBufferSize;
    inputBufferSize = kCodecInputBufferSize;
    auxiliaryBuffer = AllocateBytes(kCodecAuxiliaryAllocated);
    literalWindow = AllocateBytes(kCodecWindowAllocated);
    secondWindow = AllocateBytes(kCodecWindowAllocated);
    bool named = true;
    for (int i = 0; i < kTempFileCount; ++i) {
        tempNames[i] = AllocateName();
        named = named && tempNames[i] != nullptr;
    }
    tempFolder = AllocateName();
    if (auxiliaryBuffer == nullptr || literalWindow == nullptr || secondWindow == nullptr ||
        !named || tempFolder == nullptr) {
        Release();
        return 0;
    }
    auxiliarySize = kCodecAuxiliarySize;
    windowSize = kCodecWindowSize;
    secondWindowSize = kCodecWindowSize;
    DWORD folderLength = GetTempPathA(kTempNameCapacity, tempFolder);
    if (folderLength == 0 || folderLength >= kTempNameCapacity) {
        Release();
        return 0;
    }
    for (int i = 0; i < kTempFileCount; ++i) {
        tempNameCapacity[i] = kTempNameCapacity;
        if (GetTempFileNameA(tempFolder, "bcp", 0, tempNames[i]) == 0) {
            tempNames[i][0] = '\0';
            Release();
            return 0;
        }
        // Null security attributes: the handles are not inherited by programs the run starts.
        tempHandles[i] = CreateFileA(tempNames[i], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
        if (tempHandles[i] == INVALID_HANDLE_VALUE) {
            Release();
            return 0;
        }
    }
    return 1;
}

void SCompress::Release() {
    FreeBlock(outputBuffer);
    FreeBlock(inputBuffer);
    FreeBlock(auxiliaryBuffer);
    FreeBlock(literalWindow);
    FreeBlock(secondWindow);
    outputBufferSize = inputBufferSize = auxiliarySize = windowSize = secondWindowSize = 0;
    for (int i = 0; i < kTempFileCount; ++i) {
        if (tempHandles[i] != INVALID_HANDLE_VALUE) {
            SetFilePosition(tempHandles[i], 0);
            CloseHandle(tempHandles[i]);
            tempHandles[i] = INVALID_HANDLE_VALUE;
        }
        // GetTempFileNameA has created the file even when opening it failed afterwards.
        if (tempNames[i] != nullptr && tempNames[i][0] != '\0')
            DeleteFileA(tempNames[i]);
        FreeBlock(tempNames[i]);
        tempNameCapacity[i] = 0;
    }
    FreeBlock(tempFolder);
}

int SCompress::ExpandEntry(HANDLE source, SFileStream* destination, std::uint64_t entrySize) {
    static const std::uint8_t kZeroRunChain[] = {kMethodThreeLevelLz, kMethodZeroRuns};
    static const std::uint8_t kNibbleChain[] = {kMethodNibblePlanes, kMethodThreeLevelLz};
    std::uint8_t selector = 0;
    if (entrySize < 1 || !ReadFileAll(source, &selector, 1))
        return 0;
    const std::uint8_t* methods = selector == kSelectorZeroRunChain ? kZeroRunChain : kNibbleChain;
    return RunChain(source, destination, entrySize - 1, methods, 2);
}

int SCompress::RunChain(HANDLE source, SFileStream* destination, std::uint64_t stageLength,
                        const std::uint8_t* methods, int count) {
    if (outputBuffer == nullptr || count < 1)
        return 0;
    HANDLE input = source;
    std::uint64_t inputLength = stageLength;
    int slot = 1;
    for (int i = count - 1; i >= 0; --i) {
        if (i == 0)
            return RunMethod(methods[i], input, destination, inputLength);
        BorrowedStream output(tempHandles[slot]);
        if (output.get() == nullptr || !output.Clear())
            return 0;
        if (!RunMethod(methods[i], input, output.get(), inputLength))
            return 0;
        if (!FileStreamTell(output.get(), &inputLength) || !output.Rewind())
            return 0;
        input = tempHandles[slot];
        slot ^= 1;
    }
    return 1;
}

int SCompress::RunMethod(std::uint8_t method, HANDLE source, SFileStream* destination,
                         std::uint64_t stageLength) {
    switch (method) {
        case kMethodBitPlanes:
            return DecodeBitPlanes(source, destination, stageLength);
        case kMethodThreeLevelLz:
            return DecodeThreeLevelLz(source, destination, stageLength);
        case kMethodZeroRuns:
            return DecodeZeroRuns(source, destination, stageLength);
        case kMethodCcRuns:
            return DecodeCcRuns(source, destination, stageLength);
        case kMethodNibblePlanes:
            return DecodeNibblePlanes(source, destination, stageLength);
        case kMethodLiteralLz:
            return DecodeLiteralLz(source, destination, stageLength);
        default:
            return 0;
    }
}

int SCompress::ReadHeader(HANDLE source, std::uint32_t* fields, int fieldCount,
                          std::uint64_t stageLength, std::uint64_t* sectionsStart) {
    std::uint8_t header[16];
    std::uint32_t headerSize = static_cast<std::uint32_t>(fieldCount) * 4;
    if (!ReadFileAll(source, header, headerSize) || !GetFilePosition(source, sectionsStart))
        return 0;
    // A header whose sections reach beyond the stage would make the decoder read the
    // neighbouring entries of the package as its own data.
    std::uint64_t total = headerSize;
    for (int i = 0; i < fieldCount; ++i) {
        fields[i] = LoadLe32(header + 4 * i);
        total += fields[i];
    }
    return total <= stageLength ? 1 : 0;
}

int SCompress::LoadLastSection(HANDLE source, std::uint64_t position, std::uint64_t length) {
    BorrowedStream section(tempHandles[2]);
    return section.get() != nullptr && SetFilePosition(source, position) && section.Clear() &&
           CopyBlock(source, tempHandles[2], static_cast<std::int64_t>(length)) && section.Rewind();
}

int SCompress::OpenTokensAndLiterals(HANDLE source, std::uint64_t stageLength,
                                     std::uint32_t sizes[2]) {
    std::uint64_t start = 0;
    return ReadHeader(source, sizes, 2, stageLength, &start) &&
           LoadLastSection(source, start + sizes[0], sizes[1]) && SetFilePosition(source, start);
}

int SCompress::CopyBlock(HANDLE source, HANDLE destination, std::int64_t count) {
    if (count < 1)
        return 1;
    return CopyFileBytes(destination, source, static_cast<std::uint64_t>(count), inputBuffer,
                         inputBufferSize);
}
