#include "package/bit_writer.h"
#include "package/codec_format.h"
#include "package/count_codes.h"
#include "package/encode_methods.h"

namespace {

constexpr std::uint64_t kFillRunMax = 0xFFFFFFFFull + kFillRunMin;

}  // namespace

int EncodeFillRuns(const std::uint8_t* data, std::size_t size, std::uint8_t fill,
                   ByteVector* stage) {
    BitWriter tokens;
    ByteVector literals;
    std::size_t literalStart = 0;
    std::size_t i = 0;
    while (i < size) {
        std::size_t run = 0;
        while (i + run < size && data[i + run] == fill && run < kFillRunMax)
            ++run;
        // A run of two already costs less than its bytes plus the literal run it splits.
        if (run < kFillRunMin) {
            literals.push_back(data[i++]);
            continue;
        }
        WriteLiteralTokens(&tokens, literals.size() - literalStart, kLiteralCountMax);
        literalStart = literals.size();
        tokens.Put(1, 1);
        WriteFillRun(&tokens, run);
        i += run;
    }
    WriteLiteralTokens(&tokens, literals.size() - literalStart, kLiteralCountMax);
    tokens.Put(0, 1);
    WriteLiteralCount(&tokens, 0);
    return AppendSections({&tokens.Bytes(), &literals}, stage);
}
