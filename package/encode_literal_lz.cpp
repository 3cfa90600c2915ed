#include "package/encode_literal_lz.h"

#include <cstring>

#include "package/bit_writer.h"
#include "package/codec_format.h"
#include "package/count_codes.h"

namespace {

// The estimated cost of a literal byte. A match also costs the header of the literal run it
// splits off, and it withholds its bytes from the history that later matches copy from;
// 13 bits for both together gave the smallest entries on Windows DLLs and text.
constexpr std::int64_t kLiteralBits = 8;
constexpr std::int64_t kMatchOverheadBits = 13;
// In fast mode, the short-distance setting is chosen on this many leading bytes.
constexpr std::size_t kFastSample = 1u << 20;

struct MatchChoice {
    std::uint32_t length = 0;
    std::uint32_t distance = 0;
    std::uint32_t repeat = 0;
    std::uint64_t coverage = 0;
    std::int64_t gain = 0;  // bits saved against literals; 0 means no match
};

class LiteralLzParser {
  public:
    LiteralLzParser(const std::uint8_t* data, std::size_t size, int shortDistances, int candidates)
        : data_(data),
          size_(size),
          shortDistances_(shortDistances),
          candidates_(candidates),
          head_(65536, -1) {}

    void Run() {
        tokens_.Put(shortDistances_ ? 1 : 0, 1);
        std::size_t i = 0;
        while (i < size_) {
            MatchChoice now = Find(i);
            // One step of lazy evaluation: a literal first may open a better match.
            if (now.gain > 0 && i + 1 < size_ && Find(i + 1).gain <= now.gain) {
                FlushLiterals();
                tokens_.Put(1, 1);
                WriteMatchLength(&tokens_, now.length);
                WriteMatchDistance(&tokens_, shortDistances_, now.distance);
                WriteRepeatCount(&tokens_, now.repeat);
                i += now.coverage;
                continue;
            }
            AppendLiteral(data_[i++]);
        }
        FlushLiterals();
        tokens_.Put(0, 1);
        WriteLiteralCount(&tokens_, 0);
    }

    std::uint64_t CostBits() const { return tokens_.BitCount() + 8 * literals_.size(); }
    LiteralLzLevel Take() { return LiteralLzLevel{tokens_.Bytes(), std::move(literals_)}; }

  private:
    MatchChoice Find(std::size_t i) const {
        MatchChoice best;
        if (i + kMatchLengthMin > size_)
            return best;
        const std::uint8_t* here = data_ + i;
        const std::size_t historyLength = literals_.size();
        std::int32_t q = head_[here[0] << 8 | here[1]];
        for (int n = 0; q >= 0 && n < candidates_; ++n, q = previous_[q & 0xFF]) {
            std::uint32_t distance = static_cast<std::uint32_t>(historyLength - q);
            if (distance > kMatchDistanceMax)
                break;
            int distanceBits = MatchDistanceBits(shortDistances_, distance);
            if (distanceBits == 0)
                continue;
            const std::uint8_t* from = literals_.data() + q;
            std::size_t limit = distance < kMatchLengthMax ? distance : kMatchLengthMax;
            if (limit > size_ - i)
                limit = size_ - i;
            std::uint32_t length = kMatchLengthMin;
            while (length < limit && here[length] == from[length])
                ++length;
            std::uint32_t repeat = 1;
            while (repeat < kRepeatMax && i + std::uint64_t{repeat + 1} * length <= size_ &&
                   std::memcmp(here + std::uint64_t{repeat} * length, from, length) == 0)
                ++repeat;
            std::uint64_t coverage = std::uint64_t{repeat} * length;
            std::int64_t bits =
                1 + MatchLengthBits(length) + distanceBits + RepeatCountBits(repeat);
            std::int64_t gain =
                static_cast<std::int64_t>(coverage) * kLiteralBits - bits - kMatchOverheadBits;
            if (gain > best.gain)
                best = MatchChoice{length, distance, repeat, coverage, gain};
        }
        return best;
    }

    void AppendLiteral(std::uint8_t byte) {
        literals_.push_back(byte);
        std::size_t last = literals_.size() - 1;
        if (last == 0)
            return;
        // The pair that starts one literal back is now complete; chain it by its two bytes.
        std::size_t start = last - 1;
        int key = literals_[start] << 8 | literals_[last];
        previous_[start & 0xFF] = head_[key];
        head_[key] = static_cast<std::int32_t>(start);
    }

    void FlushLiterals() {
        WriteLiteralTokens(&tokens_, literals_.size() - runStart_, kLiteralCountMax);
        runStart_ = literals_.size();
    }

    const std::uint8_t* data_;
    std::size_t size_;
    int shortDistances_;
    int candidates_;
    BitWriter tokens_;
    ByteVector literals_;
    std::size_t runStart_ = 0;
    // Chains of literal positions by the two bytes starting there; only the last 256
    // positions can be reached, so a ring of 256 links suffices.
    std::vector<std::int32_t> head_;
    std::int32_t previous_[256] = {};
};

}  // namespace

LiteralLzLevel EncodeLiteralLzLevel(const std::uint8_t* data, std::size_t size,
                                    const EncodeEffort& effort) {
    const std::size_t sample = effort.fast && size > kFastSample ? kFastSample : size;
    LiteralLzParser wide(data, sample, 0, effort.matchCandidates);
    wide.Run();
    LiteralLzParser narrow(data, sample, 1, effort.matchCandidates);
    narrow.Run();
    const int shortDistances = narrow.CostBits() < wide.CostBits() ? 1 : 0;
    if (sample < size) {
        LiteralLzParser whole(data, size, shortDistances, effort.matchCandidates);
        whole.Run();
        return whole.Take();
    }
    return shortDistances ? narrow.Take() : wide.Take();
}

int EncodeLiteralLz(const std::uint8_t* data, std::size_t size, const EncodeEffort& effort,
                    ByteVector* stage) {
    LiteralLzLevel level = EncodeLiteralLzLevel(data, size, effort);
    return AppendSections({&level.tokens, &level.literals}, stage);
}
