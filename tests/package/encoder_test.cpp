#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "base/win_handles.h"
#include "package/decode/codec_format.h"
#include "package/encode/encode_methods.h"
#include "package/encode/entry_encoder.h"
#include "tests/package/codec_test_support.h"
#include "tests/support/open_file.h"

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

// Text, code, noise, repeats and zeros in turn, so that matches (one of them of the longest
// coverage, 257 bytes 4,096 times), nibble blocks and literal runs all cross the points where
// the encoder's windows move.
std::string Mixed(std::size_t size) {
    std::string bytes;
    for (std::uint32_t i = 0; bytes.size() < size; ++i) {
        bytes += JapaneseText(50000) + ExecutableLike(70000) + PseudoRandomBytes(30000, i) +
                 Repeated(PseudoRandomBytes(257, i), 257 * (i % 4 == 1 ? 4200 : 300)) +
                 std::string(40000, '\0');
    }
    bytes.resize(size);
    return bytes;
}

// Byte pairs counting up: no three bytes recur within 255, so literal LZ finds no match and
// its literal section is exactly as long as the input.
std::string Unmatchable(std::size_t size) {
    std::string bytes;
    for (std::uint32_t k = 0; bytes.size() < size; ++k) {
        bytes += static_cast<char>(k & 0xFF);
        bytes += static_cast<char>(k >> 8);
    }
    bytes.resize(size);
    return bytes;
}

// FNV-1a, 64 bits.
std::uint64_t Digest(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char byte : bytes)
        hash = (hash ^ byte) * 0x100000001b3u;
    return hash;
}

struct Sample {
    std::string name;
    std::string bytes;
    int method = -1;  // -1: every method and every chain
    EncodeEffort effort = {};
};

std::vector<Sample> Samples() {
    EncodeEffort fast;
    fast.fast = true;
    const std::string large = JapaneseText(700000) + ExecutableLike(900000);
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
        // Fast mode past the 1 MiB sample on which it chooses each level's distance setting.
        {"fast", large, kMethodLiteralLz, fast},
        {"fast", large, kMethodThreeLevelLz, fast},
    };
    // Around the decoder's piece and window sizes, and the encoder's 128 KiB buffers.
    for (std::size_t size :
         {0x1FFFDu, 0x1FFFEu, 0x1FFFFu, 0x20000u, 0x20001u, 0x200FDu, 0x200FEu}) {
        samples.push_back({"mixed", (JapaneseText(size / 3) + PseudoRandomBytes(size / 3, 2) +
                                     ExecutableLike(size))
                                        .substr(0, size)});
    }
    // The literal history (64 Ki literals), and the 128 KiB section and input buffers.
    for (std::size_t edge : {0x10000u, 0x20000u}) {
        for (std::size_t size : {edge - 1, edge, edge + 1})
            samples.push_back({"unmatchable", Unmatchable(size), kMethodLiteralLz});
    }
    // The nibble-plane window (1 MiB) and the literal-LZ window (4 MiB).
    for (std::size_t size : {(1u << 20) - 1, 1u << 20, (1u << 20) + 1})
        samples.push_back({"mixed", Mixed(size), kMethodNibblePlanes});
    for (std::size_t size : {(4u << 20) - 1, 4u << 20, (4u << 20) + 1})
        samples.push_back({"mixed", Mixed(size), kMethodLiteralLz});
    return samples;
}

class EncoderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(runner_.ready()); }

    // Encodes bytes with one method, from behind a lead in the input file and to behind a
    // lead in the output file, as setupkit encodes into a package; false on failure.
    bool EncodeWith(std::uint8_t method, const std::string& bytes, const EncodeEffort& effort,
                    std::string* stage) {
        return Encode(bytes, stage, [&](HANDLE input, HANDLE output) {
            return EncodeMethod(method, input, kLead.size(), bytes.size(), effort, output);
        });
    }

    bool EncodeEntryOf(const std::string& bytes, EntryChain chain, std::string* entry) {
        std::uint64_t size = 0;
        return Encode(bytes, entry,
                      [&](HANDLE input, HANDLE output) {
                          return SetFilePosition(input, kLead.size()) &&
                                 EncodeEntryHandles(input, output, chain, &size);
                      }) &&
               size == entry->size();
    }

    CodecRunner runner_;
    std::string out_;

  private:
    template <typename Encoder>
    bool Encode(const std::string& bytes, std::string* encoded, Encoder encoder) {
        const std::string inputPath = dir_.File("input"), outputPath = dir_.File("output");
        if (!WriteWholeFile(inputPath, kLead + bytes))
            return false;
        ClFileHandle input = OpenScratchFile(inputPath, GENERIC_READ);
        ClFileHandle output = OpenScratchFile(outputPath, GENERIC_WRITE, CREATE_ALWAYS);
        if (!input.ok() || !output.ok() ||
            !WriteFileAll(output.get(), kLead.data(), static_cast<std::uint32_t>(kLead.size())) ||
            !encoder(input.get(), output.get()))
            return false;
        output.Close();
        *encoded = ReadWholeFile(outputPath).substr(kLead.size());
        return true;
    }

    const std::string kLead = "lead";
    TempDir dir_;
};

// Encoder and decoder leave none of their temporary files behind.
TEST_F(EncoderTest, EveryMethodAndChainRoundTripsAndTheSmallerChainIsKept) {
    TempDir temporaries;
    TempFolderOverride override(temporaries.path());
    const EntryChain chains[] = {EntryChain::kZeroRuns, EntryChain::kNibblePlanes,
                                 EntryChain::kSmaller};
    for (const auto& sample : Samples()) {
        SCOPED_TRACE(sample.name + " " + std::to_string(sample.bytes.size()));
        for (std::uint8_t method = 0; method < kCodecMethodCount; ++method) {
            if (sample.method >= 0 && sample.method != method)
                continue;
            std::string stage;
            ASSERT_TRUE(EncodeWith(method, sample.bytes, sample.effort, &stage)) << int{method};
            ASSERT_TRUE(runner_.Method(method, stage, &out_)) << int{method};
            EXPECT_TRUE(out_ == sample.bytes) << "method " << int{method};
        }
        if (sample.method >= 0)
            continue;
        std::size_t sizes[3] = {};
        for (int c = 0; c < 3; ++c) {
            std::string entry;
            ASSERT_TRUE(EncodeEntryOf(sample.bytes, chains[c], &entry));
            ASSERT_TRUE(runner_.Entry(entry, &out_)) << "chain " << c;
            EXPECT_TRUE(out_ == sample.bytes) << "chain " << c;
            sizes[c] = entry.size();
        }
        EXPECT_EQ(sizes[2], std::min(sizes[0], sizes[1]));
    }
    EXPECT_TRUE(std::filesystem::is_empty(temporaries.path()));
}

TEST_F(EncoderTest, EntriesKeepTheBytesOfTheInMemoryEncoder) {
    // One digest, the same on every host, of a smaller-chain entry and of a literal-LZ stage
    // past the 4 MiB window, as the encoder that held everything in memory made them. Any
    // change in the bytes, whether from a window that cuts a match search short, a section
    // assembled out of order or runs and matches no longer found, shows here.
    std::string entry, stage;
    ASSERT_TRUE(EncodeEntryOf(Mixed(0x20001), EntryChain::kSmaller, &entry));
    ASSERT_TRUE(EncodeWith(kMethodLiteralLz, Mixed((4u << 20) + 1), EncodeEffort{}, &stage));
    EXPECT_EQ(Digest(entry + stage), 0x46b02ad1cab9b909u);
    // Every method's stage of the same bytes, text, code, noise, repeats and zeros: with the
    // round trips, the decoder's known answer for every form that the encoder writes.
    std::string stages;
    for (std::uint8_t method = 0; method < kCodecMethodCount; ++method) {
        ASSERT_TRUE(EncodeWith(method, Mixed(0x50000), EncodeEffort{}, &stage));
        stages += stage;
    }
    EXPECT_EQ(Digest(stages), 0x3aaf9a226477744eu);
}

TEST(EntryEncoderTest, InputsOf4GiBAreRefusedBeforeAnythingIsWritten) {
    // Entry and section lengths are 32-bit. The input is a sparse file: no disk space, and the
    // refusal comes before a byte of it is read.
    TempDir dir;
    const std::string inputPath = dir.File("huge"), outputPath = dir.File("entry");
    ClFileHandle input = OpenScratchFile(inputPath, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ClFileHandle output = OpenScratchFile(outputPath, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_TRUE(input.ok() && output.ok());
    ASSERT_TRUE(SetFilePosition(input.get(), std::uint64_t{1} << 32) && SetEndOfFile(input.get()));
    ASSERT_TRUE(SetFilePosition(input.get(), 0));
    for (EntryChain chain :
         {EntryChain::kZeroRuns, EntryChain::kNibblePlanes, EntryChain::kSmaller})
        EXPECT_EQ(EncodeEntryHandles(input.get(), output.get(), chain, nullptr), 0);
    std::uint64_t written = 1;
    EXPECT_TRUE(GetFileSize64(output.get(), &written) && written == 0);
}

}  // namespace
