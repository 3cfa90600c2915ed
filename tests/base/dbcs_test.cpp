#include "base/dbcs.h"

#include <gtest/gtest.h>

namespace {

// 表 (95 5C), ソ (83 5C) and 能 (94 5C): double-byte characters whose trail byte is a backslash.
constexpr char kHyo[] = "\x95\x5C";
constexpr char kSo[] = "\x83\x5C";

TEST(Dbcs, TrailBytesAreFoundByWalkingFromTheStart) {
    std::string text = std::string("C:") + kHyo + "\\" + kSo;  // C : 95 5C 5C 83 5C
    EXPECT_EQ(IsTrailByteAt(text.c_str(), 3), 1);
    EXPECT_EQ(IsTrailByteAt(text.c_str(), 2), 0);
    EXPECT_EQ(IsTrailByteAt(text.c_str(), 4), 0);
    EXPECT_EQ(IsTrailByteAt(text.c_str(), 6), 1);
    EXPECT_EQ(IsCharAt(text.c_str(), 3, '\\'), 0) << "trail byte of 表 is no separator";
    EXPECT_EQ(IsCharAt(text.c_str(), 4, '\\'), 1);
    EXPECT_EQ(IsCharAt(text.c_str(), 6, '\\'), 0);
    // 0x5C 0x5C after a lone trail-looking byte: only the walk decides.
    EXPECT_EQ(IsTrailByteAt("\x5C\x5C", 1), 0);
}

TEST(Dbcs, CompareFoldsAsciiCaseOnly) {
    EXPECT_EQ(CompareNoCaseN("Setup.EXE", "setup.exe", 9), 1);
    EXPECT_EQ(CompareNoCaseN("abc", "abd", 3), 0);
    EXPECT_EQ(CompareNoCaseN("abc", "abd", 2), 1);
    // Full-width letters (Ａ = 82 60, ａ = 82 81) are pairs and never fold.
    EXPECT_EQ(CompareNoCaseN("\x82\x60", "\x82\x81", 2), 0);
    // A pair is compared whole: a trail byte 0x5C does not fold with anything else.
    EXPECT_EQ(
        CompareNoCaseN((std::string(kHyo) + "A").c_str(), (std::string(kHyo) + "a").c_str(), 3), 1);
    // The pair's second byte differs in ASCII case: not equal, no folding inside pairs.
    EXPECT_EQ(CompareNoCaseN("\x83\x41", "\x83\x61", 2), 0);
    // A lead byte in the last counted position compares its whole pair.
    EXPECT_EQ(CompareNoCaseN("\x83\x41", "\x83\x42", 1), 0);
}

}  // namespace
