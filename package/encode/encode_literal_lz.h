// The literal-LZ parser shared by method 5 and the three levels of method 1.
#pragma once

#include "package/encode/encode_methods.h"
#include "package/encode/encode_sections.h"

// Parses size bytes of input from offset on into a token section and a literal section, each
// written to a new temporary file that replaces what tokens and literals held. Matches copy up
// to 257 bytes from the last 255 literals, repeated up to 4,096 times; each is taken only
// where its coded cost in bits beats the literals it replaces. Both short-distance settings
// are tried; the smaller wins. 1, or 0 if a read, a write or an allocation fails.
int EncodeLiteralLzLevel(HANDLE input, std::uint64_t offset, std::uint64_t size,
                         const EncodeEffort& effort, ClTempFile* tokens, ClTempFile* literals);
