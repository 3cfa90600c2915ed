#include "package/layout/file_index_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// Found by argument lookup, so it lives beside the type's own namespace.
bool operator==(const SFileIndexRange& a, const SFileIndexRange& b) {
    return a.first == b.first && a.last == b.last;
}

namespace {

using Bytes = std::vector<std::uint8_t>;
using Indexes = std::vector<std::uint32_t>;

Bytes Write(const Indexes& indexes) {
    const auto count = static_cast<std::uint32_t>(indexes.size());
    Bytes list(FileIndexListWrite(indexes.data(), count, nullptr));
    EXPECT_EQ(FileIndexListWrite(indexes.data(), count, list.data()), list.size());
    return list;
}

// The ranges of a list, read from a copy of exactly its size (the sanitizer sees an
// over-read); at most 1000, so that a reader that never ends fails the test instead.
std::vector<SFileIndexRange> Read(const Bytes& list, bool* malformed) {
    const Bytes exact(list);
    SFileIndexListReader reader;
    FileIndexListBegin(&reader, exact.empty() ? nullptr : exact.data(),
                       static_cast<std::uint32_t>(exact.size()));
    std::vector<SFileIndexRange> ranges;
    SFileIndexRange range;
    while (ranges.size() < 1000 && FileIndexListNext(&reader, &range))
        ranges.push_back(range);
    *malformed = reader.malformed;
    return ranges;
}

Indexes Expand(const std::vector<SFileIndexRange>& ranges) {
    Indexes indexes;
    for (const SFileIndexRange& range : ranges)
        for (std::uint64_t index = range.first; index <= range.last; ++index)
            indexes.push_back(static_cast<std::uint32_t>(index));
    return indexes;
}

TEST(FileIndexList, KnownBytesRoundTripsAndHugeRanges) {
    EXPECT_EQ(Write({4, 9, 10, 11, 12, 20}),
              (Bytes{1, 4, 0, 0, 0, 3, 9, 0, 0, 0, 12, 0, 0, 0, 1, 20, 0, 0, 0, 0}));
    EXPECT_EQ(Write({4, 9}), (Bytes{2, 2, 4, 0, 0, 0, 9, 0, 0, 0, 0}));
    EXPECT_EQ(Write({}), (Bytes{0}));

    Indexes many;
    for (std::uint32_t i = 1; i < 400; i += (i % 7 == 0) ? 3 : 1)
        many.push_back(i);
    for (std::uint32_t i = 1000; i < 1300; i += 2)  // 150 singles: a two-byte count
        many.push_back(i);
    for (const Indexes& indexes : {Indexes{1, 2, 3, 10, 20, 21, 22, 23, 100},
                                   Indexes{5, 0xFFFFFFFD, 0xFFFFFFFE, 0xFFFFFFFF}, many}) {
        bool malformed = true;
        EXPECT_EQ(Expand(Read(Write(indexes), &malformed)), indexes);
        EXPECT_FALSE(malformed);
    }

    // A range comes out whole, however large; first > last and a count of 0 give nothing; a
    // byte outside 0-3 ends the list as malformed. Damaged lists are the fuzzers' part.
    bool malformed = true;
    EXPECT_EQ(
        Read({3, 5, 0, 0, 0, 0, 0x87, 0x93, 3, 3, 9, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0}, &malformed),
        (std::vector<SFileIndexRange>{{5, 60000000}}));
    EXPECT_FALSE(malformed);
    EXPECT_EQ(Read({3, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}, &malformed),
              (std::vector<SFileIndexRange>{{0, 0xFFFFFFFF}}));
    EXPECT_EQ(Read({1, 5, 0, 0, 0, 9, 1, 6, 0, 0, 0, 0}, &malformed),
              (std::vector<SFileIndexRange>{{5, 5}}));
    EXPECT_TRUE(malformed);
}

}  // namespace
