#include "package/encode/encode_methods.h"

#include "package/decode/codec_format.h"

int EncodeMethod(std::uint8_t method, HANDLE input, std::uint64_t offset, std::uint64_t size,
                 const EncodeEffort& effort, HANDLE output) {
    switch (method) {
        case kMethodBitPlanes:
            return EncodeBitPlanes(input, offset, size, output);
        case kMethodThreeLevelLz:
            return EncodeThreeLevelLz(input, offset, size, effort, output);
        case kMethodZeroRuns:
            return EncodeFillRuns(input, offset, size, kZeroRunFill, output);
        case kMethodCcRuns:
            return EncodeFillRuns(input, offset, size, kCcRunFill, output);
        case kMethodNibblePlanes:
            return EncodeNibblePlanes(input, offset, size, output);
        case kMethodLiteralLz:
            return EncodeLiteralLz(input, offset, size, effort, output);
        default:
            return 0;
    }
}
