#include "package/encode/encode_literal_lz.h"

#include <cstring>
#include <memory>
#include <new>

#include "package/decode/bit_writer.h"
#include "package/decode/codec_format.h"
#include "package/decode/count_codes.h"
#include "package/encode/encode_window.h"

namespace {

// The estimated cost of a literal byte. A match also costs the header of the literal run it
// splits off, and it withholds its bytes from the history that later matches copy from;
// 13 bits for both together gave the smallest entries on Windows DLLs and text.
constexpr std::int64_t kLiteralBits = 8;
constexpr std::int64_t kMatchOverheadBits = 13;
// In fast mode, the short-distance setting is chosen on this many leading bytes.
constexpr std::uint64_t kFastSample = 1u << 20;
// The input goes through a window of this size. A position is parsed only while everything
// its match search may read is in the window: the match at the next position (lazy
// evaluation) may cover up to 257 x 4,096 bytes behind it.
constexpr std::size_t kWindowSize = 4u << 20;
constexpr std::uint64_t kLookahead = 2 + std::uint64_t{kMatchLengthMax} * kRepeatMax;
// Matches reach back over the last 255 literals only; the history keeps 256 of them when it
// moves, and is this large so that it moves rarely.
constexpr std::size_t kHistorySize = 1u << 16;

struct MatchChoice {
    std::uint32_t length = 0;
    std::uint32_t distance = 0;
    std::uint32_t repeat = 0;
    std::uint64_t coverage = 0;
    std::int64_t gain = 0;  // bits saved against literals; 0 means no match
};

class LiteralLzParser {
  public:
    // Sections go to the given files; INVALID_HANDLE_VALUE only counts them (trial runs).
    LiteralLzParser(std::uint64_t size, int shortDistances, int candidates, HANDLE tokens,
                    HANDLE literals)
        : size_(size),
          shortDistances_(shortDistances),
          candidates_(candidates),
          tokenSink_(tokens),
          literals_(literals),
          tokens_(&tokenSink_) {
        for (auto& head : head_)
            head = -1;
        tokens_.Put(shortDistances_ ? 1 : 0, 1);
    }

    std::uint64_t Position() const { return i_; }

    // Parses on from the current position while it lies before stop; a match taken last may
    // end past stop.
    void RunTo(EncodeWindow* window, std::uint64_t stop) {
        while (i_ < stop) {
            const std::uint8_t* here = window->At(i_);
            MatchChoice now = Find(here, i_);
            // One step of lazy evaluation: a literal first may open a better match.
            if (now.gain > 0 && i_ + 1 < size_ && Find(here + 1, i_ + 1).gain <= now.gain) {
                FlushLiterals();
                tokens_.Put(1, 1);
                WriteMatchLength(&tokens_, now.length);
                WriteMatchDistance(&tokens_, shortDistances_, now.distance);
                WriteRepeatCount(&tokens_, now.repeat);
                i_ += now.coverage;
                continue;
            }
            AppendLiteral(here[0]);
            ++i_;
        }
    }

    int Finish() {
        FlushLiterals();
        tokens_.Put(0, 1);
        WriteLiteralCount(&tokens_, 0);
        tokens_.Finish();
        return tokenSink_.Flush() && literals_.Flush();
    }

    std::uint64_t CostBits() const { return tokens_.BitCount() + 8 * literals_.Count(); }

  private:
    MatchChoice Find(const std::uint8_t* here, std::uint64_t i) const {
        MatchChoice best;
        if (i + kMatchLengthMin > size_)
            return best;
        const std::uint64_t historyLength = literals_.Count();
        std::int64_t q = head_[here[0] << 8 | here[1]];
        for (int n = 0; q >= 0 && n < candidates_; ++n, q = previous_[q & 0xFF]) {
            auto distance = static_cast<std::uint32_t>(historyLength - q);
            if (distance > kMatchDistanceMax)
                break;
            int distanceBits = MatchDistanceBits(shortDistances_, distance);
            if (distanceBits == 0)
                continue;
            const std::uint8_t* from = history_ + (q - historyBase_);
            std::uint64_t limit = distance < kMatchLengthMax ? distance : kMatchLengthMax;
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
        if (historyUsed_ == kHistorySize) {
            std::memmove(history_, history_ + kHistorySize - kHistoryKeep, kHistoryKeep);
            historyBase_ += kHistorySize - kHistoryKeep;
            historyUsed_ = kHistoryKeep;
        }
        history_[historyUsed_++] = byte;
        const std::uint64_t last = literals_.Count();
        literals_.Put(byte);
        if (last == 0)
            return;
        // The pair that starts one literal back is now complete; chain it by its two bytes.
        const std::uint64_t start = last - 1;
        int key = history_[start - historyBase_] << 8 | byte;
        previous_[start & 0xFF] = head_[key];
        head_[key] = static_cast<std::int64_t>(start);
    }

    void FlushLiterals() {
        WriteLiteralTokens(&tokens_, literals_.Count() - runStart_, kLiteralCountMax);
        runStart_ = literals_.Count();
    }

    const std::uint64_t size_;
    const int shortDistances_;
    const int candidates_;
    EncodeSink tokenSink_;
    EncodeSink literals_;  // counts every literal taken so far
    BitWriter tokens_;
    std::uint64_t i_ = 0;
    std::uint64_t runStart_ = 0;
    // The latest literals; history_[k] is literal number historyBase_ + k.
    std::uint8_t history_[kHistorySize];
    std::uint64_t historyBase_ = 0;
    std::size_t historyUsed_ = 0;
    // Chains of literal numbers by the two bytes starting there; only the last 256 literals
    // can be reached, so a ring of 256 links suffices.
    std::int64_t head_[65536];
    std::int64_t previous_[256] = {};
};

// Runs the parsers side by side through one window over the input; 1, or 0 if a read fails.
int Parse(HANDLE input, std::uint64_t offset, std::uint64_t size,
          std::initializer_list<LiteralLzParser*> parsers) {
    EncodeWindow window(input, offset, size, kWindowSize);
    std::uint64_t from = 0;
    do {
        if (!window.Slide(from))
            return 0;
        const std::uint64_t stop = window.End() == size ? size : window.End() - kLookahead;
        from = size;
        for (LiteralLzParser* parser : parsers) {
            parser->RunTo(&window, stop);
            if (parser->Position() < from)
                from = parser->Position();
        }
    } while (from < size);
    return 1;
}

std::unique_ptr<LiteralLzParser> NewParser(std::uint64_t size, int shortDistances,
                                           const EncodeEffort& effort, HANDLE tokens,
                                           HANDLE literals) {
    return std::unique_ptr<LiteralLzParser>(new (std::nothrow) LiteralLzParser(
        size, shortDistances, effort.matchCandidates, tokens, literals));
}

}  // namespace

int EncodeLiteralLzLevel(HANDLE input, std::uint64_t offset, std::uint64_t size,
                         const EncodeEffort& effort, ClTempFile* tokens, ClTempFile* literals) {
    if (!tokens->Create() || !literals->Create())
        return 0;
    if (effort.fast && size > kFastSample) {
        // Trial runs on the sample choose the setting; only the whole run writes sections.
        auto wide = NewParser(kFastSample, 0, effort, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE);
        auto narrow = NewParser(kFastSample, 1, effort, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE);
        if (!wide || !narrow || !Parse(input, offset, kFastSample, {wide.get(), narrow.get()}))
            return 0;
        wide->Finish();
        narrow->Finish();
        auto whole = NewParser(size, narrow->CostBits() < wide->CostBits() ? 1 : 0, effort,
                               tokens->handle(), literals->handle());
        return whole && Parse(input, offset, size, {whole.get()}) && whole->Finish();
    }
    ClTempFile narrowTokens, narrowLiterals;
    if (!narrowTokens.Create() || !narrowLiterals.Create())
        return 0;
    auto wide = NewParser(size, 0, effort, tokens->handle(), literals->handle());
    auto narrow = NewParser(size, 1, effort, narrowTokens.handle(), narrowLiterals.handle());
    if (!wide || !narrow || !Parse(input, offset, size, {wide.get(), narrow.get()}) ||
        !wide->Finish() || !narrow->Finish())
        return 0;
    if (narrow->CostBits() < wide->CostBits()) {
        *tokens = std::move(narrowTokens);
        *literals = std::move(narrowLiterals);
    }
    return 1;
}

int EncodeLiteralLz(HANDLE input, std::uint64_t offset, std::uint64_t size,
                    const EncodeEffort& effort, HANDLE output) {
    ClTempFile tokens, literals;
    return EncodeLiteralLzLevel(input, offset, size, effort, &tokens, &literals) &&
           WriteSections(output, {&tokens, &literals});
}
