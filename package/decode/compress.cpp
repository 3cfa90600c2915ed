#include "package/decode/compress.h"

#include <cstdlib>
#include <cstring>

#include "base/file_io.h"
#include "package/decode/borrowed_stream.h"
#include "package/decode/codec_format.h"
#include "package/decode/codec_output.h"
#include "package/decode/stage_input.h"

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
        // The system deletes the files with their handles, also when the process is ended from
        // outside: an install killed midway leaves nothing in the temporary folder.
        tempHandles[i] =
            CreateFileA(tempNames[i], GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
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
    StageInput input = StageInput::InFile(source, 0, stageLength);
    if (!GetFilePosition(source, &input.start))
        return 0;
    const CodecBuffer output{outputBuffer, outputBufferSize};
    const CodecBuffer read{inputBuffer, inputBufferSize};
    int slot = 1;
    for (int i = count - 1; i >= 0; --i) {
        // The last stage writes through the output buffer and reads through the input buffer;
        // the stages before it swap the two in turn, so that a result held in the buffer it
        // was written through stays there while the next stage reads it.
        const bool swapped = i % 2 != 0;
        const CodecBuffer writeThrough = swapped ? read : output;
        const CodecBuffer readThrough = swapped ? output : read;
        if (i == 0) {
            CodecOutput last{destination, writeThrough.bytes, writeThrough.size};
            return RunMethod(methods[i], input, &last, readThrough);
        }
        BorrowedStream file(tempHandles[slot]);
        if (file.get() == nullptr || !file.Rewind())
            return 0;
        CodecOutput result{file.get(), writeThrough.bytes, writeThrough.size};
        result.intermediate = true;
        if (!RunMethod(methods[i], input, &result, readThrough) ||
            !result.Result(tempHandles[slot], &input))
            return 0;
        slot ^= 1;
    }
    return 1;
}

int SCompress::RunMethod(std::uint8_t method, const StageInput& input, CodecOutput* output,
                         CodecBuffer readBuffer) {
    switch (method) {
        case kMethodBitPlanes:
            return DecodeBitPlanes(input, output, readBuffer);
        case kMethodThreeLevelLz:
            return DecodeThreeLevelLz(input, output, readBuffer);
        case kMethodZeroRuns:
            return DecodeFillRuns(input, output, readBuffer, kZeroRunFill);
        case kMethodCcRuns:
            return DecodeFillRuns(input, output, readBuffer, kCcRunFill);
        case kMethodNibblePlanes:
            return DecodeNibblePlanes(input, output, readBuffer);
        case kMethodLiteralLz:
            return DecodeLiteralLz(input, output, readBuffer);
        default:
            return 0;
    }
}

int SCompress::ReadHeader(const StageInput& input, std::uint32_t* fields, int fieldCount) {
    std::uint8_t header[4 * kSectionLengthBytes];
    const std::uint32_t headerSize = static_cast<std::uint32_t>(fieldCount) * kSectionLengthBytes;
    if (!input.ReadAt(0, header, headerSize))
        return 0;
    // A header whose sections reach beyond the stage would make the decoder read the
    // neighbouring entries of the package as its own data.
    std::uint64_t total = headerSize;
    for (int i = 0; i < fieldCount; ++i) {
        fields[i] = LoadLe32(header + kSectionLengthBytes * i);
        total += fields[i];
    }
    return total <= input.length ? 1 : 0;
}
