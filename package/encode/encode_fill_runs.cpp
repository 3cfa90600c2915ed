#include "package/decode/bit_writer.h"
#include "package/decode/codec_format.h"
#include "package/decode/count_codes.h"
#include "package/encode/encode_methods.h"
#include "package/encode/encode_sections.h"
#include "package/encode/encode_window.h"

namespace {

constexpr std::uint64_t kFillRunMax = 0xFFFFFFFFull + kFillRunMin;

// Gathers the token and literal sections one byte at a time. A run of the fill byte stays open
// until another byte or the end closes it, so runs carry across the input's buffers.
class FillRunEncoder {
  public:
    FillRunEncoder(std::uint8_t fill, HANDLE tokens, HANDLE literals)
        : fill_(fill), tokenSink_(tokens), literals_(literals), tokens_(&tokenSink_) {}

    void Add(std::uint8_t byte) {
        if (byte == fill_) {
            if (++run_ == kFillRunMax)
                CloseRun();
            return;
        }
        CloseRun();
        literals_.Put(byte);
    }

    int Finish() {
        CloseRun();
        WriteLiteralTokens(&tokens_, literals_.Count() - literalStart_, kLiteralCountMax);
        tokens_.Put(0, 1);
        WriteLiteralCount(&tokens_, 0);
        tokens_.Finish();
        return tokenSink_.Flush() && literals_.Flush();
    }

  private:
    // A run of two already costs less than its bytes plus the literal run it splits; a single
    // fill byte is a literal.
    void CloseRun() {
        if (run_ >= kFillRunMin) {
            WriteLiteralTokens(&tokens_, literals_.Count() - literalStart_, kLiteralCountMax);
            literalStart_ = literals_.Count();
            tokens_.Put(1, 1);
            WriteFillRun(&tokens_, run_);
        } else if (run_ == 1) {
            literals_.Put(fill_);
        }
        run_ = 0;
    }

    std::uint8_t fill_;
    EncodeSink tokenSink_;
    EncodeSink literals_;
    BitWriter tokens_;
    std::uint64_t literalStart_ = 0;
    std::uint64_t run_ = 0;
};

}  // namespace

int EncodeFillRuns(HANDLE input, std::uint64_t offset, std::uint64_t size, std::uint8_t fill,
                   HANDLE output) {
    ClTempFile tokens, literals;
    if (!tokens.Create() || !literals.Create())
        return 0;
    FillRunEncoder encoder(fill, tokens.handle(), literals.handle());
    auto addBytes = [&](const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            encoder.Add(bytes[i]);
    };
    return WalkInput(input, offset, size, kCodecInputBufferSize, addBytes) && encoder.Finish() &&
           WriteSections(output, {&tokens, &literals});
}
