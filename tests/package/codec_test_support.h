// Helpers for the codec tests: hand-assembled bit strings and a decoder run over real files.
#pragma once

#include <cstdint>
#include <string>

#include "package/decode/compress.h"
#include "tests/support/temp_dir.h"

// Bytes from a pattern of '0' and '1' (anything else is ignored), most significant bit first,
// padded with zero bits to a whole byte.
std::string Bits(const std::string& pattern);
// The pattern of value in width bits.
std::string BitsOf(std::uint32_t value, int width);
std::string U32(std::uint32_t value);
// A two-field stage: u32 X, u32 Y, tokens, last section.
std::string TwoSectionStage(const std::string& tokens, const std::string& last);
// A method-1 stage whose output is bytes, every level a single literal run.
std::string ThreeLevelStageOf(const std::string& bytes);
// A string of count pseudo-random bytes, the same for the same seed.
std::string PseudoRandomBytes(std::size_t count, std::uint32_t seed);

// Runs the codec on input written to a real file; the destination is pre-filled with junk so
// that a missing truncation shows.
class CodecRunner {
  public:
    CodecRunner();
    bool ready() const { return ready_; }
    SCompress& codec() { return codec_; }
    // Decodes input with one method; false on failure.
    bool Method(std::uint8_t method, const std::string& input, std::string* output);
    // Expands an entry (selector byte and data) into a destination opened with the given
    // access; false on failure.
    bool Entry(const std::string& entry, std::string* output,
               DWORD destinationAccess = GENERIC_READ | GENERIC_WRITE);

  private:
    bool Run(const std::string& input, std::string* output, const std::uint8_t* methods,
             DWORD destinationAccess);

    TempDir dir_;
    SCompress codec_;
    bool ready_ = false;
};
