#include "tree/tree_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/file_io.h"
#include "base/little_endian.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"
#include "tests/tree/tree_test_support.h"

namespace {

using std::string;

constexpr std::uint8_t kNamesAndData = CLT_NAMES | CLT_DATA;

// An image from its flags byte and body (records and end byte), by default with the correct
// body length.
string Image(std::uint8_t flags, const string& body, std::uint64_t length = UINT64_MAX) {
    std::uint8_t head[9] = {flags};
    StoreLe64(head + 1, length == UINT64_MAX ? body.size() : length);
    return string(reinterpret_cast<char*>(head), 9) + body;
}

// The root plus a value abc with data 01 02: the worked example of the format.
ClTreeOwner ExampleTree() {
    ClTreeOwner tree = NewTree();
    AddNamed(tree.get(), ClTreeRoot(tree.get()), false, "abc", "\x01\x02");
    return tree;
}

const string kExampleImage = Hex("06 0E00000000000000 09000000 0E0103 616263 020102 80");

class TreeFile : public testing::Test {
  protected:
    // Saves into a file behind a prefix, checks that the position is left right behind the end
    // byte, and returns the image bytes.
    string Save(ClTree* tree, ClTreeNode* start, std::uint8_t options) {
        string path = dir_.File("save.bin");
        {
            ClFileHandle file = OpenScratchFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
            EXPECT_EQ(WriteFileAll(file.get(), "PRE", 3), 1);
            EXPECT_EQ(ClTreeSave(file.get(), tree, start, options), 1);
            std::uint64_t position = 0, size = 0;
            GetFilePosition(file.get(), &position);
            GetFileSize64(file.get(), &size);
            EXPECT_EQ(position, size) << "the writer stops right behind the end byte";
        }
        return ReadWholeFile(path).substr(3);
    }

    // Loads an image that lies between a prefix and a trailer; on success checks that the
    // reader stopped right behind the end byte.
    int Load(const string& image, ClTree* tree, ClTreeNode* parent, std::uint8_t options,
             std::uint32_t spare = 0, bool expectAtEnd = true) {
        string path = dir_.File("load.bin");
        EXPECT_TRUE(WriteWholeFile(path, "PRE" + image + "TAIL"));
        ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
        EXPECT_EQ(SetFilePosition(file.get(), 3), 1);
        int result = ClTreeLoad(file.get(), tree, parent, options, spare);
        std::uint64_t position = 0;
        GetFilePosition(file.get(), &position);
        if (result && expectAtEnd) {
            EXPECT_EQ(position, 3 + image.size()) << "the reader stops right behind the end byte";
        }
        return result;
    }

    TempDir dir_;
};

TEST_F(TreeFile, WorkedExamplesBothWays) {
    ClTreeOwner fresh = NewTree();
    EXPECT_EQ(Save(fresh.get(), nullptr, kNamesAndData), Hex("06 0500000000000000 09000000 80"));
    ClTreeOwner example = ExampleTree();
    EXPECT_EQ(Save(example.get(), nullptr, kNamesAndData), kExampleImage);
    const string withMagic = "CLT1\x07" + kExampleImage.substr(1);
    EXPECT_EQ(Save(example.get(), nullptr, kNamesAndData | CLT_MAGIC), withMagic);
    ClTreeNode* value = ClTreeNavigate(ClTreeRoot(example.get()), TN_FIRST_VALUE, nullptr);
    EXPECT_EQ(Save(example.get(), value, CLT_NAMES), Image(0x02, Hex("0E 00 03 616263 80")))
        << "a start node is one record at depth 0, here without data";
    EXPECT_EQ(ClTreeSave(OpenScratchFile(dir_.File("save.bin"), GENERIC_READ).get(), example.get(),
                         nullptr, kNamesAndData),
              0)
        << "a failed write";

    for (bool magic : {false, true}) {
        ClTreeOwner loaded = NewTree();
        ASSERT_EQ(Load(magic ? withMagic : kExampleImage, loaded.get(), nullptr,
                       CLT_LOAD_REPLACE_ROOT | (magic ? CLT_MAGIC : 0)),
                  1);
        EXPECT_EQ(DumpTree(loaded.get()), DumpTree(example.get()));
    }
    // Without CLT_LOAD_REPLACE_ROOT the saved root arrives as a further unnamed top-level key.
    ClTreeOwner beside = NewTree();
    ASSERT_EQ(Load(kExampleImage, beside.get(), nullptr, 0), 1);
    EXPECT_EQ(DumpTree(beside.get()), "0 09 -\n0 01 -\n1 0E '616263' [0102]\n");
    // A spare count adds zeroed counter slots to data blocks and a spare tail to every block;
    // node flag bits 0x08 and 0x10 from the file do not count.
    ClTreeOwner spare = NewTree();
    ASSERT_EQ(Load(Image(0x06, Hex("19 00 00 00  0E 01 03 616263 02 0102  04 01 00 00  80")),
                   spare.get(), nullptr, CLT_LOAD_SPARE | CLT_LOAD_REPLACE_ROOT, 4),
              1);
    EXPECT_EQ(DumpTree(spare.get()),
              "0 09 -\n1 1C - [] +00000000\n1 1E '616263' [010200000000] +00000000\n");
}

TEST_F(TreeFile, RandomTreesRoundTripNodeByNode) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        bool withSpare = seed % 2 == 0;
        ClTreeOwner source = RandomTree(seed, 400, withSpare, true);
        for (std::uint8_t magic : {std::uint8_t{0}, CLT_MAGIC}) {
            string image = Save(source.get(), nullptr, kNamesAndData | magic);
            ClTreeOwner loaded = NewTree();
            ASSERT_EQ(Load(image, loaded.get(), nullptr, CLT_LOAD_REPLACE_ROOT | magic), 1)
                << "seed " << seed;
            ASSERT_EQ(DumpTree(loaded.get(), TN_SPARE), DumpTree(source.get(), TN_SPARE))
                << "seed " << seed;
            if (!withSpare) {
                EXPECT_EQ(Save(loaded.get(), nullptr, kNamesAndData | magic), image)
                    << "saving the loaded tree gives the same bytes, seed " << seed;
            }
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
        {"CLT2" + kExampleImage, CLT_MAGIC, 0, "wrong magic"},
        {kExampleImage, CLT_MAGIC, 0, "missing magic"},
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
        // On its own, with no trailer to read on into.
        ASSERT_TRUE(WriteWholeFile(dir_.File("damaged.bin"), row.image));
        ClFileHandle file = OpenScratchFile(dir_.File("damaged.bin"), GENERIC_READ);
        ClTreeOwner tree = NewTree();
        EXPECT_EQ(ClTreeLoad(file.get(), tree.get(), nullptr, row.options, row.spare), 0)
            << row.what;
    }

    // Budgets that end inside a record fail; one that ends between records ends the image.
    const string body = kExampleImage.substr(9);
    for (std::size_t budget = 0; budget < body.size(); ++budget) {
        ClTreeOwner target = NewTree();
        bool atRecordEnd = budget == 0 || budget == 4 || budget == 13;
        EXPECT_EQ(Load(Image(0x06, body, budget), target.get(), nullptr, 0, 0, false),
                  atRecordEnd ? 1 : 0)
            << "budget " << budget;
    }
}

}  // namespace
