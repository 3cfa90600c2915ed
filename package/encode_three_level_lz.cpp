#include "package/encode_literal_lz.h"
#include "package/encode_methods.h"

namespace {

// The decoder joins each level's literals from the bit planes that the level below yields.
// A level with no literals still hands one byte down, so that no join is ever empty.
ByteVector PlanesOfLiterals(ByteVector* literals) {
    if (literals->empty())
        literals->push_back(0);
    return EncodeBitPlanes(literals->data(), literals->size());
}

}  // namespace

int EncodeThreeLevelLz(const std::uint8_t* data, std::size_t size, const EncodeEffort& effort,
                       ByteVector* stage) {
    LiteralLzLevel first = EncodeLiteralLzLevel(data, size, effort);
    ByteVector secondInput = PlanesOfLiterals(&first.literals);
    first.literals.clear();
    first.literals.shrink_to_fit();
    LiteralLzLevel second = EncodeLiteralLzLevel(secondInput.data(), secondInput.size(), effort);
    ByteVector thirdInput = PlanesOfLiterals(&second.literals);
    LiteralLzLevel third = EncodeLiteralLzLevel(thirdInput.data(), thirdInput.size(), effort);
    return AppendSections({&first.tokens, &second.tokens, &third.tokens, &third.literals}, stage);
}
