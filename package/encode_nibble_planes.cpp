#include "package/bit_writer.h"
#include "package/codec_format.h"
#include "package/count_codes.h"
#include "package/encode_methods.h"

namespace {

// The decoder buffers a literal's nibbles at once in its 0x200FD-byte window; pieces of this
// many nibbles always fit.
constexpr std::uint32_t kLiteralPieceNibbles = 0x40000;
constexpr std::int64_t kNibbleBits = 4;
constexpr std::int64_t kRunSplitBits = 6;

struct BlockChoice {
    std::uint32_t channels = 0;
    std::uint32_t height = 0;
    std::int64_t gain = 0;
};

class NibblePlaneEncoder {
  public:
    void EncodePlane(const std::uint8_t* values, std::uint32_t count) {
        std::uint32_t literalStart = 0;
        std::uint32_t p = 0;
        while (p < count) {
            BlockChoice block = FindBlock(values, count, p);
            if (block.gain <= 0) {
                ++p;
                continue;
            }
            PutLiterals(values + literalStart, p - literalStart);
            tokens_.Put(1, 1);
            tokens_.Put(block.channels - 1, 2);
            WriteBlockCount(&tokens_, block.height);
            WalkBlock(values + p, block.channels, block.height, true);
            p += block.channels * block.height;
            literalStart = p;
        }
        PutLiterals(values + literalStart, count - literalStart);
        tokens_.Put(0, 1);
        WriteLiteralCount(&tokens_, 0);
    }

    const ByteVector& Tokens() const { return tokens_.Bytes(); }
    ByteVector& Source() { return source_; }

  private:
    void PutNibble(std::uint8_t value) {
        if (nibbleCount_++ % 2 == 0)
            source_.push_back(static_cast<std::uint8_t>(value << 4));
        else
            source_.back() = static_cast<std::uint8_t>(source_.back() | value);
    }

    void PutLiterals(const std::uint8_t* values, std::uint32_t count) {
        WriteLiteralTokens(&tokens_, count, kLiteralPieceNibbles);
        for (std::uint32_t i = 0; i < count; ++i)
            PutNibble(values[i]);
    }

    // The blocks that start at p with a constant first column of at least five full rows;
    // the one that saves the most bits against literals.
    BlockChoice FindBlock(const std::uint8_t* values, std::uint32_t count, std::uint32_t p) {
        BlockChoice best;
        for (std::uint32_t channels = 1; channels <= kBlockChannelsMax; ++channels) {
            std::uint32_t rows = (count - p) / channels;
            std::uint32_t limit = (kCodecOutputBufferSize - 1) / channels;
            if (limit > kBlockCountMax)
                limit = kBlockCountMax;
            if (rows > limit)
                rows = limit;
            std::uint32_t height = 1;
            while (height < rows && values[p + height * channels] == values[p])
                ++height;
            if (height < kBlockCountMin)
                continue;
            std::int64_t gain = kNibbleBits * channels * height - kRunSplitBits -
                                WalkBlock(values + p, channels, height, false);
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

    BitWriter tokens_;
    ByteVector source_;
    std::uint64_t nibbleCount_ = 0;
};

}  // namespace

int EncodeNibblePlanes(const std::uint8_t* data, std::size_t size, ByteVector* stage) {
    if (size > 0xFFFFFFFFu)
        return 0;
    const auto count = static_cast<std::uint32_t>(size);
    NibblePlaneEncoder encoder;
    ByteVector& source = encoder.Source();
    source.resize(4);
    StoreU32Le(source.data(), count);
    ByteVector plane(data, data + size);
    for (auto& value : plane)
        value = static_cast<std::uint8_t>(value >> 4);
    encoder.EncodePlane(plane.data(), count);
    for (std::size_t i = 0; i < size; ++i)
        plane[i] = data[i] & 0x0F;
    encoder.EncodePlane(plane.data(), count);
    return AppendSections({&encoder.Tokens(), &source}, stage);
}
