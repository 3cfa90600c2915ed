#include "package/decode/bit_writer.h"
#include "package/decode/codec_format.h"
#include "package/decode/count_codes.h"
#include "package/encode/encode_methods.h"
#include "package/encode/encode_sections.h"
#include "package/encode/encode_window.h"

namespace {

// The decoder buffers a literal's nibbles at once in its 0x200FD-byte window; pieces of this
// many nibbles always fit.
constexpr std::uint32_t kLiteralPieceNibbles = 0x40000;
constexpr std::int64_t kNibbleBits = 4;
constexpr std::int64_t kRunSplitBits = 6;
// A block covers fewer positions than the decoder's output buffer holds, so that many
// positions ahead are all the block search reads. The window holds several times that.
constexpr std::uint32_t kBlockReach = kCodecOutputBufferSize;
constexpr std::size_t kWindowSize = 8 * kBlockReach;

struct BlockChoice {
    std::uint32_t channels = 0;
    std::uint32_t height = 0;
    std::int64_t gain = 0;
};

class NibblePlaneEncoder {
  public:
    NibblePlaneEncoder(HANDLE tokens, HANDLE source)
        : tokenSink_(tokens), source_(source), tokens_(&tokenSink_) {}

    // The nibble source opens with the output's length.
    void Start(std::uint32_t count) {
        std::uint8_t length[4];
        StoreLe32(length, count);
        source_.Write(length, 4);
    }

    // Encodes one plane: the high (shift 4) or low (shift 0) nibbles of the count bytes in the
    // window. Literal nibbles go to the source as they are passed; their tokens follow when
    // a block or the end closes the run.
    int EncodePlane(EncodeWindow* window, std::uint32_t count, int shift) {
        std::uint64_t nibbled = 0;
        std::uint32_t literalStart = 0;
        std::uint32_t p = 0;
        while (p < count) {
            if (p + std::uint64_t{kBlockReach} > window->End() && window->End() < count) {
                if (!window->Slide(p))
                    return 0;
                for (; nibbled < window->End(); ++nibbled) {
                    std::uint8_t* byte = window->At(nibbled);
                    *byte = static_cast<std::uint8_t>((*byte >> shift) & 0x0F);
                }
            }
            const std::uint8_t* here = window->At(p);
            BlockChoice block = FindBlock(here, count - p);
            if (block.gain <= 0) {
                PutNibble(here[0]);
                ++p;
                continue;
            }
            WriteLiteralTokens(&tokens_, p - literalStart, kLiteralPieceNibbles);
            tokens_.Put(1, 1);
            tokens_.Put(block.channels - 1, 2);
            WriteBlockCount(&tokens_, block.height);
            WalkBlock(here, block.channels, block.height, true);
            p += block.channels * block.height;
            literalStart = p;
        }
        WriteLiteralTokens(&tokens_, p - literalStart, kLiteralPieceNibbles);
        tokens_.Put(0, 1);
        WriteLiteralCount(&tokens_, 0);
        return 1;
    }

    int Finish() {
        tokens_.Finish();
        if (nibbleCount_ % 2 != 0)
            source_.Put(openByte_);
        return tokenSink_.Flush() && source_.Flush();
    }

  private:
    void PutNibble(std::uint8_t value) {
        if (nibbleCount_++ % 2 == 0) {
            openByte_ = static_cast<std::uint8_t>(value << 4);
            return;
        }
        source_.Put(static_cast<std::uint8_t>(openByte_ | value));
    }

    // The blocks that start at values[0] with a constant first column of at least five full
    // rows, within the remaining positions of the plane; the one that saves the most bits
    // against literals.
    BlockChoice FindBlock(const std::uint8_t* values, std::uint32_t remaining) {
        BlockChoice best;
        for (std::uint32_t channels = 1; channels <= kBlockChannelsMax; ++channels) {
            std::uint32_t rows = remaining / channels;
            std::uint32_t limit = (kBlockReach - 1) / channels;
            if (limit > kBlockCountMax)
                limit = kBlockCountMax;
            if (rows > limit)
                rows = limit;
            std::uint32_t height = 1;
            while (height < rows && values[height * channels] == values[0])
                ++height;
            if (height < kBlockCountMin)
                continue;
            std::int64_t gain = kNibbleBits * channels * height - kRunSplitBits -
                                WalkBlock(values, channels, height, false);
            if (gain > best.gain)
                best = BlockChoice{channels, height, gain};
        }
        return best;
    }

    // The cost in bits of a block's tokens and nibbles; with emit, writes them. After the
    // implicit run down column 0, columns 1 to w - 1 are taken in order as runs of five or
    // more equal values and literal stretches between them.
    std::int64_t WalkBlock(const std::uint8_t* block, std::uint32_t channels, std::uint32_t height,
                           bool emit) {
        std::int64_t bits = 1 + 2 + BlockCountBits(height) + kNibbleBits;
        if (emit)
            PutNibble(block[0]);
        const std::uint32_t rest = (channels - 1) * height;
        auto at = [&](std::uint32_t t) { return block[1 + t / height + (t % height) * channels]; };
        std::uint32_t literalStart = 0;
        auto flushLiterals = [&](std::uint32_t end) {
            std::uint32_t n = end - literalStart;
            if (n == 0)
                return;
            bits += 1 + LiteralCountBits(n) + kNibbleBits * n;
            if (emit) {
                WriteLiteralTokens(&tokens_, n, kLiteralPieceNibbles);
                for (std::uint32_t t = literalStart; t < end; ++t)
                    PutNibble(at(t));
            }
        };
        std::uint32_t t = 0;
        while (t < rest) {
            std::uint32_t run = 1;
            while (t + run < rest && run < kBlockCountMax && at(t + run) == at(t))
                ++run;
            if (run < kBlockCountMin) {
                t += run;
                continue;
            }
            flushLiterals(t);
            bits += 1 + BlockCountBits(run) + kNibbleBits;
            if (emit) {
                tokens_.Put(1, 1);
                WriteBlockCount(&tokens_, run);
                PutNibble(at(t));
            }
            t += run;
            literalStart = t;
        }
        flushLiterals(rest);
        return bits;
    }

    EncodeSink tokenSink_;
    EncodeSink source_;
    BitWriter tokens_;
    std::uint64_t nibbleCount_ = 0;
    std::uint8_t openByte_ = 0;  // the high half waiting for its low half
};

}  // namespace

int EncodeNibblePlanes(HANDLE input, std::uint64_t offset, std::uint64_t size, HANDLE output) {
    if (size > 0xFFFFFFFFu)
        return 0;
    const auto count = static_cast<std::uint32_t>(size);
    ClTempFile tokens, source;
    if (!tokens.Create() || !source.Create())
        return 0;
    NibblePlaneEncoder encoder(tokens.handle(), source.handle());
    encoder.Start(count);
    for (int shift : {4, 0}) {
        EncodeWindow window(input, offset, size, kWindowSize);
        if (!encoder.EncodePlane(&window, count, shift))
            return 0;
    }
    return encoder.Finish() && WriteSections(output, {&tokens, &source});
}
