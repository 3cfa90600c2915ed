// SCompress: expands one compressed package entry into a destination stream. An entry is a
// chain of two decoding stages (see package/codec_format.h). An intermediate result stays in
// one of the codec's buffers while it fits and goes to a temporary file beyond, so memory stays
// at a few 128 KiB buffers whatever the size of the file.
//
// Not re-entrant: the buffers and temporary files are shared by all methods and both stages.
#pragma once

#include <cstdint>

#include "base/file_stream.h"
#include "base/platform.h"

class ByteSource;
struct CodecBuffer;
struct CodecOutput;
struct StageInput;

class SCompress {
  public:
    SCompress() = default;
    // Calls Release.
    virtual ~SCompress();
    SCompress(const SCompress&) = delete;
    SCompress& operator=(const SCompress&) = delete;

    // Allocates the buffers and creates the five temporary files ("bcp" names in the temporary
    // folder). 1, or 0 with everything already obtained released.
    int Initialize();
    // Frees the buffers; closes and deletes the temporary files. Safe on a partly initialised
    // object and more than once.
    void Release();

    // Expands the entry of entrySize bytes whose selector byte is at the source's current
    // position. On success the destination holds exactly the decoded bytes, from its position
    // at the call, and ends there. The source position afterwards is unspecified.
    int ExpandEntry(HANDLE source, SFileStream* destination, std::uint64_t entrySize);
    // Runs methods[count - 1] on the source's stageLength bytes, then each earlier method on
    // the previous one's result; methods[0] writes the destination.
    int RunChain(HANDLE source, SFileStream* destination, std::uint64_t stageLength,
                 const std::uint8_t* methods, int count);

    static constexpr int kTempFileCount = 5;
    static constexpr int kNameBufferSize = 515;

    std::uint8_t* outputBuffer = nullptr;
    std::uint32_t outputBufferSize = 0;
    std::uint8_t* inputBuffer = nullptr;
    std::uint32_t inputBufferSize = 0;
    std::uint8_t* auxiliaryBuffer = nullptr;
    std::uint32_t auxiliarySize = 0;
    std::uint8_t* literalWindow = nullptr;
    std::uint32_t windowSize = 0;
    // Reserved: allocated with the others, used by no method.
    std::uint8_t* secondWindow = nullptr;
    std::uint32_t secondWindowSize = 0;
    // 0 and 1: a chain's intermediate results, used alternately. 2 and 3: method 1's second
    // and third levels before their join. 4: created and deleted with the others, otherwise
    // unused. A result that fits the buffer it is written through never reaches its file.
    char* tempNames[kTempFileCount] = {};
    std::uint32_t tempNameCapacity[kTempFileCount] = {};
    HANDLE tempHandles[kTempFileCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                          INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                          INVALID_HANDLE_VALUE};
    char* tempFolder = nullptr;

  private:
    // Every decoding operation reads its stage from input and writes through output. A stage in
    // a file is read through readBuffer; a stage in memory may lie in readBuffer itself.
    int RunMethod(std::uint8_t method, const StageInput& input, CodecOutput* output,
                  CodecBuffer readBuffer);
    int ReadHeader(const StageInput& input, std::uint32_t* fields, int fieldCount);
    int DecodeBitPlanes(const StageInput& input, CodecOutput* output, CodecBuffer readBuffer);
    int DecodeThreeLevelLz(const StageInput& input, CodecOutput* output, CodecBuffer readBuffer);
    int DecodeFillRuns(const StageInput& input, CodecOutput* output, CodecBuffer readBuffer,
                       std::uint8_t fill);
    int DecodeNibblePlanes(const StageInput& input, CodecOutput* output, CodecBuffer readBuffer);
    int DecodeLiteralLz(const StageInput& input, CodecOutput* output, CodecBuffer readBuffer);
    // One literal-LZ token stream: the section of tokenLength bytes at tokenOffset of the stage,
    // over literalLength bytes of literals.
    int DecodeLzLevel(const StageInput& input, std::uint64_t tokenOffset, std::uint64_t tokenLength,
                      ByteSource* literals, std::uint64_t literalLength, CodecBuffer readBuffer,
                      CodecOutput* output);
};
