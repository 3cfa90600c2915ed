// The literal-LZ parser shared by method 5 and the three levels of method 1.
#pragma once

#include "package/encode_methods.h"

struct LiteralLzLevel {
    ByteVector tokens;
    ByteVector literals;
};

// Parses data into tokens and literals. Matches copy up to 257 bytes from the last 255
// literals, repeated up to 4,096 times; each is taken only where its coded cost in bits
// beats the literals it replaces. Both short-distance settings are tried; the smaller wins.
LiteralLzLevel EncodeLiteralLzLevel(const std::uint8_t* data, std::size_t size,
                                    const EncodeEffort& effort);
