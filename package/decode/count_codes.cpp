#include "package/decode/count_codes.h"

#include "package/decode/codec_format.h"

namespace {

// A prefix of i one bits (closed by a 0 bit while i is below the limit) is followed by a
// payload field of widths[i] bits. A payload given as several fields read in order and joined
// most significant first is the same as one field of their total width.
struct PrefixCode {
    int limit;
    int widths[6];
    std::uint32_t bases[6];  // what the reader adds to the payload
};

constexpr PrefixCode kLiteralCount = {5, {4, 6, 10, 12, 16, 32}, {0, 0, 0, 0, 0, 0}};
constexpr PrefixCode kFillRun = {
    4, {4, 8, 12, 16, 32}, {kFillRunMin, kFillRunMin, kFillRunMin, kFillRunMin, kFillRunMin}};
constexpr PrefixCode kBlockCount = {
    3, {4, 8, 12, 16}, {kBlockCountMin, kBlockCountMin, kBlockCountMin, kBlockCountMin}};
// Prefix 0 alone means 3.
constexpr PrefixCode kMatchLength = {2, {0, 3, 8}, {3, 2, 2}};
constexpr PrefixCode kDistance = {1, {4, 8}, {2, 2}};
constexpr PrefixCode kShortDistance = {1, {4, 6}, {2, 2}};
constexpr PrefixCode kRepeat = {4, {0, 2, 4, 8, 12}, {1, 1, 1, 1, 1}};

// Every prefix is at most five bits long: the next five bits tell it and its payload's width.
constexpr int kPrefixBitsMax = 5;

struct DecodeEntry {
    std::uint8_t prefixBits;
    std::uint8_t payloadBits;
    std::uint32_t base;
};

struct DecodeTable {
    int longest;  // prefix and payload
    DecodeEntry entries[1 << kPrefixBitsMax];
};

constexpr DecodeTable MakeDecodeTable(const PrefixCode& code) {
    DecodeTable table{};
    for (int next = 0; next < (1 << kPrefixBitsMax); ++next) {
        int ones = 0;
        while (ones < code.limit && ((next >> (kPrefixBitsMax - 1 - ones)) & 1))
            ++ones;
        DecodeEntry& entry = table.entries[next];
        entry.prefixBits = static_cast<std::uint8_t>(ones + (ones < code.limit ? 1 : 0));
        entry.payloadBits = static_cast<std::uint8_t>(code.widths[ones]);
        entry.base = code.bases[ones];
        if (entry.prefixBits + entry.payloadBits > table.longest)
            table.longest = entry.prefixBits + entry.payloadBits;
    }
    return table;
}

constexpr DecodeTable kLiteralCountTable = MakeDecodeTable(kLiteralCount);
constexpr DecodeTable kFillRunTable = MakeDecodeTable(kFillRun);
constexpr DecodeTable kBlockCountTable = MakeDecodeTable(kBlockCount);
constexpr DecodeTable kMatchLengthTable = MakeDecodeTable(kMatchLength);
constexpr DecodeTable kDistanceTable = MakeDecodeTable(kDistance);
constexpr DecodeTable kShortDistanceTable = MakeDecodeTable(kShortDistance);
constexpr DecodeTable kRepeatTable = MakeDecodeTable(kRepeat);
static_assert(kLiteralCountTable.longest <= BitReader::kMaxNeed, "a code must fit the reader");

// The base plus the payload of the code at the reader's position, whose bits are all ready.
std::uint64_t TakeCode(BitReader* reader, const DecodeTable& table) {
    const DecodeEntry& entry = table.entries[reader->Peek(kPrefixBitsMax)];
    reader->Skip(entry.prefixBits);
    std::uint64_t value = entry.base + reader->Peek(entry.payloadBits);
    reader->Skip(entry.payloadBits);
    return value;
}

int ReadPrefixed(BitReader* reader, const DecodeTable& table, std::uint64_t* value) {
    // Near the section's end fewer than five bits may be left: the prefix and payload they
    // announce must then be there all the same.
    reader->Need(kPrefixBitsMax);
    const DecodeEntry& entry = table.entries[reader->Peek(kPrefixBitsMax)];
    if (!reader->Need(entry.prefixBits + entry.payloadBits))
        return 0;
    *value = TakeCode(reader, table);
    return 1;
}

int ReadPrefixed32(BitReader* reader, const DecodeTable& table, std::uint32_t* value) {
    std::uint64_t wide = 0;
    if (!ReadPrefixed(reader, table, &wide))
        return 0;
    *value = static_cast<std::uint32_t>(wide);
    return 1;
}

const DecodeTable& DistanceTable(int shortDistances) {
    return shortDistances ? kShortDistanceTable : kDistanceTable;
}

// A match's three fields take at most this many bits.
constexpr int kMatchBitsMax =
    kMatchLengthTable.longest + kDistanceTable.longest + kRepeatTable.longest;
static_assert(kMatchBitsMax <= BitReader::kMaxNeed, "a match must fit the reader");

// The shortest prefix whose payload holds the value.
int ChoosePrefix(const PrefixCode& code, std::uint64_t value) {
    for (int ones = 0; ones < code.limit; ++ones)
        if (value < (std::uint64_t{1} << code.widths[ones]))
            return ones;
    return code.limit;
}

int PrefixedBits(const PrefixCode& code, std::uint64_t value) {
    int ones = ChoosePrefix(code, value);
    return ones + (ones < code.limit ? 1 : 0) + code.widths[ones];
}

void WritePrefix(BitWriter* writer, int ones, int limit) {
    writer->Put((1u << ones) - 1, ones);
    if (ones < limit)
        writer->Put(0, 1);
}

void WritePrefixed(BitWriter* writer, const PrefixCode& code, std::uint32_t value) {
    int ones = ChoosePrefix(code, value);
    WritePrefix(writer, ones, code.limit);
    writer->Put(value, code.widths[ones]);
}

// Distance payloads: 4 bits after a 0; after a 1, 8 bits or (short distances) 6 bits.
int WideDistanceWidth(int shortDistances) {
    return shortDistances ? kShortDistance.widths[1] : kDistance.widths[1];
}

}  // namespace

int ReadLiteralCount(BitReader* reader, std::uint32_t* count) {
    return ReadPrefixed32(reader, kLiteralCountTable, count);
}

int ReadFillRun(BitReader* reader, std::uint64_t* length) {
    return ReadPrefixed(reader, kFillRunTable, length);
}

int ReadBlockCount(BitReader* reader, std::uint32_t* count) {
    return ReadPrefixed32(reader, kBlockCountTable, count);
}

int ReadMatch(BitReader* reader, int shortDistances, std::uint32_t* length, std::uint32_t* distance,
              std::uint32_t* repeat) {
    std::uint32_t distanceValue = 0;
    if (reader->Need(kMatchBitsMax)) {
        *length = static_cast<std::uint32_t>(TakeCode(reader, kMatchLengthTable));
        distanceValue = static_cast<std::uint32_t>(TakeCode(reader, DistanceTable(shortDistances)));
        *repeat = static_cast<std::uint32_t>(TakeCode(reader, kRepeatTable));
    } else if (!ReadPrefixed32(reader, kMatchLengthTable, length) ||
               !ReadPrefixed32(reader, DistanceTable(shortDistances), &distanceValue) ||
               !ReadPrefixed32(reader, kRepeatTable, repeat)) {
        return 0;  // the section ends inside the match
    }
    *distance = distanceValue & 0xFF;
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
