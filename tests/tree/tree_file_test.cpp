#include "tree/tree_file.h"

#include <gtest/gtest.h>

#include <string>

#include "base/little_endian.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"
#include "tests/tree/tree_test_support.h"

namespace {

using std::string;

// An image from its flags byte and body (records and end byte), by default with the correct
// body length.
string Image(std::uint8_t flags, const string& body, std::uint64_t length = UINT64_MAX) {
    std::uint8_t head[9] = {flags};
    StoreLe64(head + 1, length == UINT64_MAX ? body.size() : length);
    return string(reinterpret_cast<char*>(head), 9) + body;
}

const string kExampleImage = Hex("06 0E00000000000000 09000000 0E0103 616263 020102 80");

// Reading the parts of a package or uninstall data file one after another, the reader's stop
// behind each end byte is proven by the uninstall data test.
class TreeFile : public testing::Test {
  protected:
    string Save(ClTree* tree) {
        string path = dir_.File("save.bin");
        EXPECT_EQ(ClTreeSave(OpenScratchFile(path, GENERIC_WRITE, CREATE_ALWAYS).get(), tree,
                             nullptr, CLT_NAMES | CLT_DATA),
                  1);
        return ReadWholeFile(path);
    }
    int Load(const string& image, ClTree* tree, std::uint8_t options, std::uint32_t spare = 0) {
        EXPECT_TRUE(WriteWholeFile(dir_.File("load.bin"), image));
        return ClTreeLoad(OpenScratchFile(dir_.File("load.bin"), GENERIC_READ).get(), tree, nullptr,
                          options, spare);
    }

    TempDir dir_;
};

// The package and the uninstall data file hold images with names and data, loaded with the
// saved root as a further top-level key (or, in the log, with a spare counter slot).
TEST_F(TreeFile, WorkedExamplesBothWays) {
    ClTreeOwner fresh = NewTree();
    EXPECT_EQ(Save(fresh.get()), Hex("06 0500000000000000 09000000 80"));
    ClTreeOwner example = NewTree();  // the root and a value abc with data 01 02
    AddNamed(example.get(), ClTreeRoot(example.get()), false, "abc", "\x01\x02");
    EXPECT_EQ(Save(example.get()), kExampleImage);
    ClTreeOwner loaded = NewTree();
    ASSERT_EQ(Load(kExampleImage, loaded.get(), CLT_LOAD_REPLACE_ROOT), 1);
    EXPECT_EQ(DumpTree(loaded.get()), DumpTree(example.get()));
    // A spare count adds zeroed counter slots to data blocks and a spare tail to every block;
    // node flag bits 0x08 and 0x10 from the file do not count.
    ClTreeOwner spare = NewTree();
    ASSERT_EQ(Load(Image(0x06, Hex("19 00 00 00  0E 01 03 616263 02 0102  04 01 00 00  80")),
                   spare.get(), CLT_LOAD_SPARE | CLT_LOAD_REPLACE_ROOT, 4),
              1);
    EXPECT_EQ(DumpTree(spare.get()),
              "0 09 -\n1 1C - [] +00000000\n1 1E '616263' [010200000000] +00000000\n");
}

TEST_F(TreeFile, RandomTreesRoundTripNodeByNode) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        bool withSpare = seed % 2 == 0;
        ClTreeOwner source = RandomTree(seed, 400, withSpare);
        string image = Save(source.get());
        ClTreeOwner loaded = NewTree();
        ASSERT_EQ(Load(image, loaded.get(), CLT_LOAD_REPLACE_ROOT), 1) << "seed " << seed;
        ASSERT_EQ(DumpTree(loaded.get(), TN_SPARE), DumpTree(source.get(), TN_SPARE))
            << "seed " << seed;
        if (!withSpare) {
            EXPECT_EQ(Save(loaded.get()), image)
                << "saving the loaded tree gives the same bytes, seed " << seed;
        }
    }
}

// Images cut short at every offset are the damaged-package tests' part.
TEST_F(TreeFile, DamagedImagesFailCleanly) {
    const string root = Hex("09 00");
    const struct {
        string image;
        std::uint8_t options;
        std::uint32_t spare;
        const char* what;
    } rows[] = {
        {Image(0x04, root + Hex("FFFFFFFF0F 80")), 0, 0, "data length far beyond the file"},
        {Image(0x04, root + Hex("F0FFFFFF07 80"), UINT64_MAX >> 1), 0, 0,
         "2 GiB data block in a small file with a huge budget"},
        {kExampleImage, CLT_LOAD_SPARE, 0xFFFFFFF0u, "data length overflows with the spare"},
        {Image(0x06, Hex("0A 00 01 76 00  80")), 0, 0, "value at depth 0"},
        {Image(0x06, root + Hex("00 00  0A 02 01 76 00  80")), 0, 0, "depth jump 1 to 2"},
        {Image(0x06, Hex("09 01 00 00  80")), 0, 0, "first record below depth 0"},
        {Image(0x00, Hex("09 00  0B 01  0B 02  0A 03  02 00  80")), 0, 0,
         "a value climbing to the top level"},
    };
    for (const auto& row : rows) {
        ClTreeOwner tree = NewTree();
        EXPECT_EQ(Load(row.image, tree.get(), row.options, row.spare), 0) << row.what;
    }

    // Budgets that end inside a record fail; one that ends between records ends the image.
    const string body = kExampleImage.substr(9);
    for (std::size_t budget = 0; budget < body.size(); ++budget) {
        ClTreeOwner target = NewTree();
        bool atRecordEnd = budget == 0 || budget == 4 || budget == 13;
        EXPECT_EQ(Load(Image(0x06, body, budget) + "TAIL", target.get(), 0), atRecordEnd ? 1 : 0)
            << "budget " << budget;
    }
}

}  // namespace
