// The decoder against stages assembled bit by bit: one known answer per method, and the forms
// that the encoder never writes (a block cut at a plane's end, a literal at the window's limit,
// intermediate results at the buffer sizes). What the encoder writes, its round trips and digests
// in encoder_test.cpp cover, and malformed input the expand_entry fuzzer.
#include "package/decode/compress.h"

#include <gtest/gtest.h>

#include "package/decode/codec_format.h"
#include "tests/package/codec_test_support.h"

namespace {

const std::string kEnd = "0 0 0000";  // a literal token with count 0

class CompressTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(runner_.ready()); }

    // Method 5 over the given tokens (short-distance flag included) and literals.
    bool LiteralLz(const std::string& tokenBits, const std::string& literals, std::string* out) {
        return runner_.Method(kMethodLiteralLz, TwoSectionStage(Bits(tokenBits), literals), out);
    }
    // Method 4 over the given tokens and nibble source.
    bool NibblePlanes(const std::string& tokenBits, const std::string& nibbleSource,
                      std::string* out) {
        return runner_.Method(kMethodNibblePlanes, TwoSectionStage(Bits(tokenBits), nibbleSource),
                              out);
    }

    CodecRunner runner_;
    std::string out_;
};

TEST_F(CompressTest, MatchFieldsRepeatsAndTheLiteralHistory) {
    std::string p = PseudoRandomBytes(300, 3);
    std::string tokens = "0 0 11111" + BitsOf(300, 32);
    std::string expected = p;
    // Length 3 (prefix 0), distance 5 (0 + 4 bits), repeat 1.
    tokens += " 1 0 00011 0";
    expected += p.substr(295, 3);
    // Length 3 again through prefix 10 with value 1; distance 3; repeat 4 (10 + 2 bits).
    tokens += " 1 10001 00001 1011";
    for (int i = 0; i < 4; ++i)
        expected += p.substr(297, 3);
    // Length 9, distance 10 through the 8-bit form, repeat 3 (110 + 4 bits).
    tokens += " 1 10111 100001000 1100010";
    for (int i = 0; i < 3; ++i)
        expected += p.substr(290, 9);
    // Length 102 (11 + 8 bits), distance 255 (value 253), repeat 256 (1110 + 8 bits).
    tokens += " 1 1101100100 111111101 111011111111";
    for (int i = 0; i < 256; ++i)
        expected += p.substr(45, 102);
    // Length 2, distance 17, repeat 4096 (1111 + 4 + 8 bits); matches leave the history as it
    // was, so the same distance copies the same bytes once more.
    tokens += " 1 10000 01111 1111111111111111";
    tokens += " 1 10000 01111 0";
    for (int i = 0; i < 4097; ++i)
        expected += p.substr(283, 2);
    ASSERT_TRUE(LiteralLz(tokens + kEnd, p, &out_));
    EXPECT_EQ(out_.size(), expected.size());
    EXPECT_TRUE(out_ == expected);
}

TEST_F(CompressTest, FillRunsOfEveryPrefix) {
    std::string tokens =
        "1 0 0000"                   // value 0: two fill bytes
        " 0 0 0011"                  // three literals
        " 1 10 11111111"             // 257
        " 1 110 1111 11111111"       // 4097
        " 1 1110 11111111 11111111"  // 65537
        " 1 1111" +
        BitsOf(299998, 32) + kEnd;  // 300000
    for (std::uint8_t method : {kMethodZeroRuns, kMethodCcRuns}) {
        char fill = method == kMethodZeroRuns ? '\0' : '\xCC';
        std::string expected = std::string(2, fill) + "xyz" + std::string(257, fill) +
                               std::string(4097, fill) + std::string(65537, fill) +
                               std::string(300000, fill);
        ASSERT_TRUE(runner_.Method(method, TwoSectionStage(Bits(tokens), "xyz"), &out_));
        EXPECT_TRUE(out_ == expected) << int{method};
    }
}

TEST_F(CompressTest, BitPlanesStartingMidByte) {
    // Output 80 01 FF: the planes (101)(001)(001)(001)(001)(001)(001)(011) run across bytes.
    ASSERT_TRUE(runner_.Method(kMethodBitPlanes, Bits("101 001 001 001 001 001 001 011"), &out_));
    EXPECT_EQ(out_, std::string("\x80\x01\xFF", 3));
}

TEST_F(CompressTest, NibblePlanesOfARunABlockAndLiterals) {
    // High plane: two channels of five rows are cut to columns {0,2,4,6} and {1,3,5}: the run
    // of five A's fills column 0 and the top of column 1; a literal B C ends the block exactly
    // at the plane's end, which then needs its end marker. Low plane: a literal of 7 nibbles.
    ASSERT_TRUE(NibblePlanes("1 01 0 0000 0 0 0010" + kEnd + "0 0 0111" + kEnd,
                             U32(7) + "\xAB\xC0\x12\x34\x56", &out_));
    EXPECT_EQ(out_, "\xA0\xA1\xA2\xB3\xA4\xC5\xA6");
}

// setupkit verify decodes packages from anywhere: one nibble past the window must be refused,
// not written behind it.
TEST_F(CompressTest, NibbleLiteralMustFitTheWindowAtOnce) {
    // A literal's nibbles are buffered all at once in the 0x200FD-byte window: 0x401FA
    // nibbles (0x200FD bytes) fit, one more does not, even though the source holds them.
    const std::uint32_t fits = 0x401FA;
    const std::string literal = PseudoRandomBytes(fits / 2, 8);
    // The low plane: four runs of 65,540 and one of 495 (value 490), all of 7.
    std::string lowPlane;
    for (int i = 0; i < 4; ++i)
        lowPlane += " 1 00 111 11111111 11111111";
    lowPlane += " 1 00 110 0001 11101010" + kEnd;
    ASSERT_TRUE(NibblePlanes("0 11111" + BitsOf(fits, 32) + " 1 00 0 0000" + kEnd + lowPlane,
                             U32(fits + 5) + literal + "\x77\x77\x77", &out_));
    ASSERT_EQ(out_.size(), fits + 5);
    EXPECT_EQ(out_[1], static_cast<char>((literal[0] << 4) | 7));
    EXPECT_EQ(out_[fits], '\x77') << "the run of five behind the literal";
    EXPECT_FALSE(NibblePlanes("0 11111" + BitsOf(fits + 1, 32) + kEnd + lowPlane,
                              U32(fits + 1) + literal + "\x77\x77\x77", &out_));
}

TEST_F(CompressTest, ChainsHoldOrWriteOutTheirResultsAroundTheBufferSizes) {
    // Selector 0 chooses methods 2 then 1, any other selector methods 1 then 4. A chain's first
    // result and method 1's levels stay in a buffer while they fit and go to a temporary file
    // beyond; sizes on both sides of every buffer's limit decode alike.
    const std::string threeLevelOverhead = ThreeLevelStageOf("");
    const std::string nibbleStage =
        TwoSectionStage(Bits("0 0 0011" + kEnd + "0 0 0011" + kEnd), U32(3) + "\x13\x52\x46");
    for (std::uint32_t size : {0x1FFFDu, 0x1FFFEu, 0x1FFFFu, 0x20000u, 0x20001u}) {
        // The nibble chain: method 1 yields a method-4 stage of exactly size bytes (the bytes
        // behind its sections are ignored), and each of its levels is that long too.
        const std::string stage = nibbleStage + PseudoRandomBytes(size - nibbleStage.size(), size);
        const char selector = size % 2 ? '\x01' : '\xFF';
        ASSERT_TRUE(runner_.Entry(selector + ThreeLevelStageOf(stage), &out_)) << size;
        EXPECT_EQ(out_, "\x12\x34\x56") << size;
        // The zero-run chain: method 2 yields a method-1 stage of exactly size bytes, and a file
        // of size bytes has levels of that size.
        for (std::size_t fileSize : {size - threeLevelOverhead.size(), std::size_t{size}}) {
            const std::string file = PseudoRandomBytes(fileSize, size + 1);
            const std::string threeLevel = ThreeLevelStageOf(file);
            const std::string fillTokens =
                Bits("0 11111" + BitsOf(static_cast<std::uint32_t>(threeLevel.size()), 32) + kEnd);
            ASSERT_TRUE(runner_.Entry('\0' + TwoSectionStage(fillTokens, threeLevel), &out_))
                << fileSize;
            EXPECT_TRUE(out_ == file) << fileSize;
        }
    }
}

TEST_F(CompressTest, DestinationThatTakesNoWritesFailsTheEntry) {
    // Opened for reading only, the destination refuses every write: a small file is written
    // once at its end, a large one while it is decoded. Either way the entry fails.
    for (std::size_t size : {std::size_t{100}, std::size_t{0x50000}}) {
        const std::string threeLevel = ThreeLevelStageOf(PseudoRandomBytes(size, 3));
        const std::string fillTokens =
            Bits("0 11111" + BitsOf(static_cast<std::uint32_t>(threeLevel.size()), 32) + kEnd);
        const std::string entry = '\0' + TwoSectionStage(fillTokens, threeLevel);
        ASSERT_TRUE(runner_.Entry(entry, &out_)) << size;
        EXPECT_FALSE(runner_.Entry(entry, &out_, GENERIC_READ)) << size;
    }
}

}  // namespace
