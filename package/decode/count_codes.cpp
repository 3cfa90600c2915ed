#include "package/decode/count_codes.h"

#include "package/decode/codec_format.h"

namespace {

// The payload of one prefix: fields read in order and joined most significant first.
struct Payload {
    int fieldCount;
    int widths[4];
};

// Indexed by the number of 1 bits in the prefix. A prefix with fewer ones than the code's
// limit ends with a 0 bit; the longest prefix has no 0.
struct PrefixCode {
    int limit;
    Payload payloads[6];
};

constexpr PrefixCode kLiteralCount = {
    5, {{1, {4}}, {2, {2, 4}}, {2, {2, 8}}, {2, {4, 8}}, {2, {8, 8}}, {4, {8, 8, 8, 8}}}};
constexpr PrefixCode kFillRun = {4,
                                 {{1, {4}}, {1, {8}}, {2, {4, 8}}, {2, {8, 8}}, {4, {8, 8, 8, 8}}}};
constexpr PrefixCode kBlockCount = {3, {{1, {4}}, {1, {8}}, {2, {4, 8}}, {2, {8, 8}}}};
// Prefix 0 carries no payload and means the value 0 (a repeat of 1).
constexpr PrefixCode kRepeat = {4, {{0, {}}, {1, {2}}, {1, {4}}, {1, {8}}, {2, {4, 8}}}};

int PayloadWidth(const Payload& payload) {
    int width = 0;
    for (int i = 0; i < payload.fieldCount; ++i)
        width += payload.widths[i];
    return width;
}

int ReadPrefix(BitReader* reader, int limit, int* ones) {
    *ones = 0;
    while (*ones < limit) {
        std::uint8_t bit = 0;
        if (!reader->ReadBit(&bit))
            return 0;
        if (bit == 0)
            return 1;
        ++*ones;
    }
    return 1;
}

int ReadPayload(BitReader* reader, const Payload& payload, std::uint32_t* value) {
    std::uint32_t joined = 0;
    for (int i = 0; i < payload.fieldCount; ++i) {
        std::uint8_t field = 0;
        if (!reader->ReadBits(payload.widths[i], &field))
            return 0;
        joined = static_cast<std::uint32_t>(
            (static_cast<std::uint64_t>(joined) << payload.widths[i]) | field);
    }
    *value = joined;
    return 1;
}

int ReadPrefixed(BitReader* reader, const PrefixCode& code, std::uint32_t* value) {
    int ones = 0;
    return ReadPrefix(reader, code.limit, &ones) && ReadPayload(reader, code.payloads[ones], value);
}

// The shortest prefix whose payload holds the value.
int ChoosePrefix(const PrefixCode& code, std::uint64_t value) {
    for (int ones = 0; ones < code.limit; ++ones)
        if (value < (std::uint64_t{1} << PayloadWidth(code.payloads[ones])))
            return ones;
    return code.limit;
}

int PrefixedBits(const PrefixCode& code, std::uint64_t value) {
    int ones = ChoosePrefix(code, value);
    return ones + (ones < code.limit ? 1 : 0) + PayloadWidth(code.payloads[ones]);
}

void WritePrefix(BitWriter* writer, int ones, int limit) {
    writer->Put((1u << ones) - 1, ones);
    if (ones < limit)
        writer->Put(0, 1);
}

void WritePrefixed(BitWriter* writer, const PrefixCode& code, std::uint32_t value) {
    int ones = ChoosePrefix(code, value);
    WritePrefix(writer, ones, code.limit);
    writer->Put(value, PayloadWidth(code.payloads[ones]));
}

// Distance payloads: 4 bits after a 0; after a 1, 8 bits or (short distances) 6 bits.
int WideDistanceWidth(int shortDistances) {
    return shortDistances ? 6 : 8;
}

}  // namespace

int ReadLiteralCount(BitReader* reader, std::uint32_t* count) {
    return ReadPrefixed(reader, kLiteralCount, count);
}

int ReadFillRun(BitReader* reader, std::uint64_t* length) {
    std::uint32_t value = 0;
    if (!ReadPrefixed(reader, kFillRun, &value))
        return 0;
    *length = std::uint64_t{value} + kFillRunMin;
    return 1;
}

int ReadBlockCount(BitReader* reader, std::uint32_t* count) {
    std::uint32_t value = 0;
    if (!ReadPrefixed(reader, kBlockCount, &value))
        return 0;
    *count = value + kBlockCountMin;
    return 1;
}

int ReadMatchLength(BitReader* reader, std::uint32_t* length) {
    int ones = 0;
    std::uint8_t value = 0;
    if (!ReadPrefix(reader, 2, &ones))
        return 0;
    if (ones == 0) {
        *length = 3;
        return 1;
    }
    if (!reader->ReadBits(ones == 1 ? 3 : 8, &value))
        return 0;
    *length = value + 2u;
    return 1;
}

int ReadMatchDistance(BitReader* reader, int shortDistances, std::uint32_t* distance) {
    std::uint8_t wide = 0;
    std::uint32_t value = 0;
    if (!reader->ReadBit(&wide))
        return 0;
    Payload payload = !wide            ? Payload{1, {4}}
                      : shortDistances ? Payload{2, {2, 4}}
                                       : Payload{1, {8}};
    if (!ReadPayload(reader, payload, &value))
        return 0;
    *distance = (value + 2) & 0xFF;
    return 1;
}

int ReadRepeatCount(BitReader* reader, std::uint32_t* repeat) {
    std::uint32_t value = 0;
    if (!ReadPrefixed(reader, kRepeat, &value))
        return 0;
    *repeat = value + 1;
    return 1;
}

void WriteLiteralCount(BitWriter* writer, std::uint32_t count) {
    WritePrefixed(writer, kLiteralCount, count);
}

void WriteLiteralTokens(BitWriter* writer, std::uint64_t count, std::uint32_t perToken) {
    while (count > 0) {
        std::uint32_t piece = count < perToken ? static_cast<std::uint32_t>(count) : perToken;
        writer->Put(0, 1);
        WriteLiteralCount(writer, piece);
        count -= piece;
    }
}

void WriteFillRun(BitWriter* writer, std::uint64_t length) {
    WritePrefixed(writer, kFillRun, static_cast<std::uint32_t>(length - kFillRunMin));
}

void WriteBlockCount(BitWriter* writer, std::uint32_t count) {
    WritePrefixed(writer, kBlockCount, count - kBlockCountMin);
}

void WriteMatchLength(BitWriter* writer, std::uint32_t length) {
    if (length == 3)
        writer->Put(0, 1);
    else if (length <= 9)
        writer->Put((2u << 3) | (length - 2), 5);
    else
        writer->Put((3u << 8) | (length - 2), 10);
}

void WriteMatchDistance(BitWriter* writer, int shortDistances, std::uint32_t distance) {
    std::uint32_t value = (distance - 2) & 0xFF;
    if (value < 16)
        writer->Put(value, 5);
    else
        writer->Put((1u << WideDistanceWidth(shortDistances)) | value,
                    1 + WideDistanceWidth(shortDistances));
}

void WriteRepeatCount(BitWriter* writer, std::uint32_t repeat) {
    WritePrefixed(writer, kRepeat, repeat - 1);
}

int LiteralCountBits(std::uint32_t count) {
    return PrefixedBits(kLiteralCount, count);
}

int FillRunBits(std::uint64_t length) {
    return PrefixedBits(kFillRun, length - kFillRunMin);
}

int BlockCountBits(std::uint32_t count) {
    return PrefixedBits(kBlockCount, count - kBlockCountMin);
}

int MatchLengthBits(std::uint32_t length) {
    return length == 3 ? 1 : length <= 9 ? 5 : 10;
}

int MatchDistanceBits(int shortDistances, std::uint32_t distance) {
    std::uint32_t value = (distance - 2) & 0xFF;
    if (value < 16)
        return 5;
    if (value >= (1u << WideDistanceWidth(shortDistances)))
        return 0;
    return 1 + WideDistanceWidth(shortDistances);
}

int RepeatCountBits(std::uint32_t repeat) {
    return PrefixedBits(kRepeat, repeat - 1);
}
