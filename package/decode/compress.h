// SCompress: expands one compressed package entry into a destination stream. An entry is a
// chain of two decoding stages (see package/codec_format.h); intermediate results go to five
// temporary files, so memory stays at a few 128 KiB buffers whatever the size of the file.
//
// Not re-entrant: the buffers and temporary files are shared by all methods and both stages.
#pragma once

#include <cstdint>

#include "base/file_stream.h"
#include "base/platform.h"

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

    // One operation per method. The source is positioned at the method's data, which is
    // stageLength bytes long; sections that would reach beyond it fail the decoding.
    int DecodeBitPlanes(HANDLE source, SFileStream* destination, std::uint64_t stageLength);
    int DecodeThreeLevelLz(HANDLE source, SFileStream* destination, std::uint64_t stageLength);
    int DecodeZeroRuns(HANDLE source, SFileStream* destination, std::uint64_t stageLength);
    int DecodeCcRuns(HANDLE source, SFileStream* destination, std::uint64_t stageLength);
    int DecodeNibblePlanes(HANDLE source, SFileStream* destination, std::uint64_t stageLength);
    int DecodeLiteralLz(HANDLE source, SFileStream* destination, std::uint64_t stageLength);

    // Copies count bytes between the handles' current positions through the input buffer;
    // a count below 1 succeeds at once.
    int CopyBlock(HANDLE source, HANDLE destination, std::int64_t count);

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
    // 0 and 1: a two-stage chain's intermediate result, used alternately. 2: the last section
    // (raw literals or nibble source) and method 1's joined levels. 3: method 1's levels before
    // their join. 4: created and deleted with the others, otherwise unused.
    char* tempNames[kTempFileCount] = {};
    std::uint32_t tempNameCapacity[kTempFileCount] = {};
    HANDLE tempHandles[kTempFileCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                          INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                          INVALID_HANDLE_VALUE};
    char* tempFolder = nullptr;

  private:
    int RunMethod(std::uint8_t method, HANDLE source, SFileStream* destination,
                  std::uint64_t stageLength);
    int ReadHeader(HANDLE source, std::uint32_t* fields, int fieldCount, std::uint64_t stageLength,
                   std::uint64_t* sectionsStart);
    int LoadLastSection(HANDLE source, std::uint64_t position, std::uint64_t length);
    // Reads a header of two sections (tokens, literals), copies the literals to the third
    // temporary file and leaves the source at the tokens. 1, or 0.
    int OpenTokensAndLiterals(HANDLE source, std::uint64_t stageLength, std::uint32_t sizes[2]);
    int DecodeFillRuns(HANDLE source, SFileStream* destination, std::uint64_t stageLength,
                       std::uint8_t fill);
    int DecodeLzLevel(HANDLE tokens, std::uint64_t tokenLength, SFileStream* literals,
                      std::uint64_t literalLength, SFileStream* destination);
    int JoinBitPlanes(HANDLE input, std::uint64_t length, SFileStream* destination);
};
