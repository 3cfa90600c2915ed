#include <gtest/gtest.h>

#include "package/codec_format.h"
#include "package/encode_methods.h"
#include "package/entry_encoder.h"
#include "tests/package/codec_test_support.h"

namespace {

std::string Repeated(const std::string& unit, std::size_t size) {
    std::string bytes;
    while (bytes.size() < size)
        bytes += unit;
    bytes.resize(size);
    return bytes;
}

// Japanese text in code page 932 with ASCII markup, as in a licence file.
std::string JapaneseText(std::size_t size) {
    const std::string lines[] = {
        "\x83\x5c\x83\x74\x83\x67\x83\x45\x83\x46\x83\x41\x8e\x67\x97\x70\x8b\x96\x91\xf8"
        "\x8c\x5f\x96\xf1\x8f\x91\r\n",
        "\x96\x7b\x83\x5c\x83\x74\x83\x67\x83\x45\x83\x46\x83\x41\x82\xf0\x83\x43\x83\x93"
        "\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb7\x82\xe9\x91\x4f\x82\xc9 (Version 2.0)\r\n",
        "\x91\xe6\x31\x8f\xf0\x81\x40\x8e\x67\x97\x70\x8b\x96\x91\xf8 item=42;\r\n",
        "\x82\xb1\x82\xcc\x8c\x5f\x96\xf1\x82\xc9\x93\xaf\x88\xd3\x82\xb5\x82\xdc\x82\xb7"
        "\x81\x42\r\n\r\n",
    };
    std::string text;
    for (std::uint32_t i = 0; text.size() < size; ++i)
        text += lines[(i * 7 + i / 3) % 4] + std::to_string(i) + "\r\n";
    text.resize(size);
    return text;
}

// Code-like bytes: opcodes, little-endian offsets that grow, zero padding, import names.
std::string ExecutableLike(std::size_t size) {
    std::string bytes = std::string("MZ\x90\0\x03\0\0\0", 8) + std::string(56, '\0');
    std::uint32_t offset = 0x1000;
    for (std::uint32_t i = 0; bytes.size() < size; ++i) {
        bytes += std::string("\x48\x8b\x05", 3);
        for (int b = 0; b < 4; ++b)
            bytes += static_cast<char>((offset + i * 16) >> (8 * b));
        bytes += std::string("\xe8\0\0\0\0\x48\x83\xc4\x28\xc3", 10);
        if (i % 9 == 0)
            bytes += std::string(1 + i % 23, '\xCC');
        if (i % 31 == 0)
            bytes += "GetProcAddress" + std::string(2, '\0') + "LoadLibraryA";
    }
    bytes.resize(size);
    return bytes;
}

struct Sample {
    std::string name;
    std::string bytes;
};

std::vector<Sample> Samples() {
    std::vector<Sample> samples = {
        {"empty", ""},
        {"one byte", "A"},
        {"zeros", std::string(300000, '\0')},
        {"0xCC", std::string(70000, '\xCC')},
        // Over 0x40000 nibbles per plane: the nibble encoder splits its literals.
        {"random", PseudoRandomBytes(0x42000, 11)},
        {"Japanese text", JapaneseText(150000)},
        {"executable", ExecutableLike(200000)},
        {"long repeats", Repeated("abcdefghij", 5000) + Repeated("0123456789abcdef", 700000)},
    };
    for (std::size_t size : {0x1FFFDu, 0x1FFFEu, 0x20000u, 0x20001u, 0x200FDu, 0x200FEu}) {
        samples.push_back(
            {"mixed " + std::to_string(size),
             (JapaneseText(size / 3) + PseudoRandomBytes(size / 3, 2) + ExecutableLike(size))
                 .substr(0, size)});
    }
    return samples;
}

const std::uint8_t* BytesOf(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

std::string StringOf(const ByteVector& v) {
    return std::string(v.begin(), v.end());
}

class EncoderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(runner_.ready()); }
    CodecRunner runner_;
    std::string out_;
};

TEST_F(EncoderTest, EveryMethodRoundTrips) {
    for (const auto& sample : Samples()) {
        for (std::uint8_t method = 0; method < kCodecMethodCount; ++method) {
            ByteVector stage;
            ASSERT_EQ(EncodeMethod(method, BytesOf(sample.bytes), sample.bytes.size(),
                                   EncodeEffort{}, &stage),
                      1);
            ASSERT_TRUE(runner_.Method(method, StringOf(stage), &out_))
                << sample.name << ", method " << int{method};
            EXPECT_TRUE(out_ == sample.bytes) << sample.name << ", method " << int{method};
        }
    }
}

TEST_F(EncoderTest, FastModeRoundTrips) {
    // Past the 1 MiB sample on which fast mode chooses each level's distance setting.
    std::string bytes = JapaneseText(700000) + ExecutableLike(900000);
    EncodeEffort fast;
    fast.fast = true;
    for (std::uint8_t method : {kMethodLiteralLz, kMethodThreeLevelLz}) {
        ByteVector stage;
        ASSERT_EQ(EncodeMethod(method, BytesOf(bytes), bytes.size(), fast, &stage), 1);
        ASSERT_TRUE(runner_.Method(method, StringOf(stage), &out_)) << int{method};
        EXPECT_TRUE(out_ == bytes) << int{method};
    }
}

TEST_F(EncoderTest, EveryChainRoundTripsAndTheSmallerIsKept) {
    for (const auto& sample : Samples()) {
        std::size_t sizes[3] = {};
        EntryChain chains[] = {EntryChain::kZeroRuns, EntryChain::kNibblePlanes,
                               EntryChain::kSmaller};
        for (int c = 0; c < 3; ++c) {
            ByteVector entry;
            ASSERT_EQ(EncodeEntry(BytesOf(sample.bytes), sample.bytes.size(), chains[c], &entry),
                      1);
            ASSERT_TRUE(runner_.Entry(StringOf(entry), &out_)) << sample.name << ", chain " << c;
            EXPECT_TRUE(out_ == sample.bytes) << sample.name << ", chain " << c;
            sizes[c] = entry.size();
            ByteVector again;
            EncodeEntry(BytesOf(sample.bytes), sample.bytes.size(), chains[c], &again);
            EXPECT_TRUE(again == entry) << "deterministic: " << sample.name;
        }
        EXPECT_EQ(sizes[2], std::min(sizes[0], sizes[1])) << sample.name;
    }
}

TEST_F(EncoderTest, CompressesWhatIsCompressible) {
    struct Case {
        std::string bytes;
        double ratio;
    } cases[] = {
        {std::string(1 << 20, '\0'), 0.001},
        {Repeated("0123456789abcdef", 1 << 20), 0.01},
        {JapaneseText(1 << 19), 0.35},
        {ExecutableLike(1 << 19), 0.5},
    };
    for (const auto& c : cases) {
        ByteVector entry;
        ASSERT_EQ(EncodeEntry(BytesOf(c.bytes), c.bytes.size(), EntryChain::kSmaller, &entry), 1);
        EXPECT_LT(entry.size(), c.bytes.size() * c.ratio) << c.bytes.substr(0, 16);
    }
    ByteVector entry;
    std::string noise = PseudoRandomBytes(1 << 16, 5);
    ASSERT_EQ(EncodeEntry(BytesOf(noise), noise.size(), EntryChain::kSmaller, &entry), 1);
    EXPECT_LT(entry.size(), noise.size() + noise.size() / 50) << "noise grows by under 2%";
}

TEST_F(EncoderTest, NibbleBlocksFindInterleavedColumns) {
    // Little-endian 32-bit counts below 0x1000: in the high-nibble plane three of every four
    // positions are 0, in the low-nibble plane two; only blocks of several channels catch
    // that, literal runs and single-channel runs cannot.
    std::string table;
    for (std::uint32_t i = 0; i < 40000; ++i) {
        std::uint32_t value = (i * 2654435761u) >> 20;
        table += U32(value);
    }
    ByteVector stage;
    ASSERT_EQ(EncodeNibblePlanes(BytesOf(table), table.size(), &stage), 1);
    ASSERT_TRUE(runner_.Method(kMethodNibblePlanes, StringOf(stage), &out_));
    EXPECT_TRUE(out_ == table);
    EXPECT_LT(stage.size(), table.size() * 0.4) << "3 varying nibbles in 8";
}

TEST_F(EncoderTest, DamagedEntriesFailOrDecodeWithoutHarm) {
    std::string text = JapaneseText(3000) + ExecutableLike(3000);
    for (EntryChain chain : {EntryChain::kZeroRuns, EntryChain::kNibblePlanes}) {
        ByteVector entry;
        ASSERT_EQ(EncodeEntry(BytesOf(text), text.size(), chain, &entry), 1);
        std::string whole = StringOf(entry);
        for (std::size_t cut = 0; cut < whole.size(); cut += 1 + cut / 16)
            EXPECT_FALSE(runner_.Entry(whole.substr(0, cut), &out_)) << "cut at " << cut;
        // Flipped bits must never crash or reach outside a buffer (the sanitizers watch).
        std::string damaged = whole;
        for (std::size_t i = 1; i < damaged.size(); i += 1 + i / 8) {
            damaged[i] = static_cast<char>(damaged[i] ^ (1 << (i % 8)));
            runner_.Entry(damaged, &out_);
            damaged[i] = whole[i];
        }
    }
}

}  // namespace
