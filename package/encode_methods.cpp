#include "package/encode_methods.h"

#include "package/codec_format.h"

int EncodeMethod(std::uint8_t method, const std::uint8_t* data, std::size_t size,
                 const EncodeEffort& effort, ByteVector* stage) {
    switch (method) {
        case kMethodBitPlanes:
            *stage = EncodeBitPlanes(data, size);
            return 1;
        case kMethodThreeLevelLz:
            return EncodeThreeLevelLz(data, size, effort, stage);
        case kMethodZeroRuns:
            return EncodeFillRuns(data, size, kZeroRunFill, stage);
        case kMethodCcRuns:
            return EncodeFillRuns(data, size, kCcRunFill, stage);
        case kMethodNibblePlanes:
            return EncodeNibblePlanes(data, size, stage);
        case kMethodLiteralLz:
            return EncodeLiteralLz(data, size, effort, stage);
        default:
            return 0;
    }
}

int AppendSections(std::initializer_list<const ByteVector*> sections, ByteVector* stage) {
    for (const ByteVector* section : sections) {
        if (section->size() > 0xFFFFFFFFu)
            return 0;
        std::uint8_t length[4];
        StoreU32Le(length, static_cast<std::uint32_t>(section->size()));
        stage->insert(stage->end(), length, length + 4);
    }
    for (const ByteVector* section : sections)
        stage->insert(stage->end(), section->begin(), section->end());
    return 1;
}
