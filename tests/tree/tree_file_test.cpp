#include "tree/tree_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
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

    // Loads a damaged image on its own (no trailer to read on into) and expects failure.
    void ExpectRefused(const string& image, std::uint8_t options, const string& what) {
        string path = dir_.File("damaged.bin");
        ASSERT_TRUE(WriteWholeFile(path, image));
        ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
        ClTreeOwner tree = NewTree();
        EXPECT_EQ(ClTreeLoad(file.get(), tree.get(), nullptr, options, 0), 0) << what;
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
}

TEST_F(TreeFile, EmptyTreesSubtreesAndEmptyBodies) {
    ClTreeOwner empty = NewTree();
    ClTreeDeleteNode(empty.get(), ClTreeRoot(empty.get()));
    EXPECT_EQ(Save(empty.get(), nullptr, kNamesAndData), Image(0x06, "\x80"));

    ClTreeOwner tree = ExampleTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    ClTreeNode* value = ClTreeNavigate(root, TN_FIRST_VALUE, nullptr);
    EXPECT_EQ(Save(tree.get(), value, kNamesAndData),
              Image(0x06, Hex("0E 00 03 616263 02 0102 80")))
        << "a value as start node is one record at depth 0";
    ClTreeNode* k = AddNamed(tree.get(), root, true, "k");
    AddNamed(tree.get(), k, false, "in");
    AddNamed(tree.get(), root, true, "later");
    AddNamed(tree.get(), nullptr, true, "top");
    EXPECT_EQ(Save(tree.get(), k, CLT_NAMES), Image(0x02, Hex("0B 00 01 6B  0A 01 02 696E  80")))
        << "a key as start node: its subtree only, without data";

    ClTreeOwner target = NewTree();
    ClTreeNode* parent = AddNamed(target.get(), ClTreeRoot(target.get()), true, "P");
    ASSERT_EQ(Load(Save(tree.get(), k, kNamesAndData), target.get(), parent, 0), 1);
    EXPECT_NE(ClTreeFindPath(target.get(), nullptr, "\\P\\k\\in", "\\", 0), nullptr);

    ClTreeOwner untouched = NewTree();
    EXPECT_EQ(Load(Image(0x06, "") + "\x0A", untouched.get(), nullptr, 0, 0, false), 1)
        << "a body length of 0 ends at once";
    EXPECT_EQ(DumpTree(untouched.get()), "0 09 -\n");
}

TEST_F(TreeFile, NamesAndFlagsOfRecords) {
    ClTreeOwner tree = NewTree();
    AddNamed(tree.get(), ClTreeRoot(tree.get()), false, "");
    string image = Save(tree.get(), nullptr, kNamesAndData);
    EXPECT_NE(image.find(Hex("0A 01 00 00")), string::npos) << "named, empty name";
    ClTreeOwner loaded = NewTree();
    ASSERT_EQ(Load(image, loaded.get(), nullptr, CLT_LOAD_REPLACE_ROOT), 1);
    EXPECT_EQ(DumpTree(loaded.get()), "0 09 -\n1 0A ''\n") << "an empty name stays a name";

    // Records without names load as unnamed nodes even where the node flags say named.
    ClTreeOwner unnamed = NewTree();
    ASSERT_EQ(Load(Save(ExampleTree().get(), nullptr, CLT_DATA), unnamed.get(), nullptr,
                   CLT_LOAD_REPLACE_ROOT),
              1);
    EXPECT_EQ(DumpTree(unnamed.get()), "0 09 -\n1 0C - [0102]\n");
    // Node flag bits 0x08 and 0x10 from the file do not count; the loader sets its own.
    ClTreeOwner flags = NewTree();
    ASSERT_EQ(Load(Image(0x06, Hex("19 00 00 00  1C 01 00 01 05  80")), flags.get(), nullptr,
                   CLT_LOAD_REPLACE_ROOT),
              1);
    EXPECT_EQ(DumpTree(flags.get()), "0 09 -\n1 0C - [05]\n");
}

TEST_F(TreeFile, SpareCountAddsZeroedCounterSlots) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    AddNamed(tree.get(), root, false, "abc", "\x01\x02", true, 4);
    AddNamed(tree.get(), root, false, "empty", "", true);
    AddNamed(tree.get(), root, false, "none");
    string image = Save(tree.get(), nullptr, kNamesAndData);
    EXPECT_EQ(image.find(Hex("02 0102 0E")), image.find("abc") + 3)
        << "the spare tail is never written";

    // A data block of n > 0 bytes becomes n + 4 zero-filled ones with 4 spare bytes behind;
    // an empty block stays empty (no counter slot) but gets the spare bytes.
    ClTreeOwner loaded = NewTree();
    ASSERT_EQ(Load(image, loaded.get(), nullptr, CLT_LOAD_SPARE | CLT_LOAD_REPLACE_ROOT, 4), 1);
    EXPECT_EQ(DumpTree(loaded.get()),
              "0 09 -\n1 1E '616263' [010200000000] +00000000\n1 1E '656D707479' [] +00000000\n"
              "1 0A '6E6F6E65'\n");
    ClTreeNode* abc = ClTreeNavigate(ClTreeRoot(loaded.get()), TN_FIRST_VALUE, nullptr);
    ASSERT_NE(ClTreeNodeCounter(abc), nullptr);
    EXPECT_EQ(*ClTreeNodeCounter(abc), 0u);

    ClTreeOwner overflow = NewTree();
    EXPECT_EQ(Load(image, overflow.get(), nullptr, CLT_LOAD_SPARE, 0xFFFFFFF0u), 0)
        << "a data length that overflows with the spare count";
}

TEST_F(TreeFile, WriteFailureIsReported) {
    string path = dir_.File("readonly.bin");
    ASSERT_TRUE(WriteWholeFile(path, ""));
    ClFileHandle file = OpenScratchFile(path, GENERIC_READ);
    ClTreeOwner tree = ExampleTree();
    EXPECT_EQ(ClTreeSave(file.get(), tree.get(), nullptr, kNamesAndData), 0);
    EXPECT_EQ(ClTreeSave(file.get(), nullptr, nullptr, kNamesAndData), 0);
}

// Random trees with everything the image must carry: Shift-JIS names (表 has the trail byte
// 5C), empty, duplicate and long names, keys and values of one name, data of every small
// length, spare tails, further top-level keys and a chain down to the deepest level.
ClTreeOwner RandomTree(unsigned seed, int nodes, bool withSpare, bool deepChain) {
    static const char* const kNames[] = {"a",   "A",   "\x95\x5C", "\x83\x41",  "\x83\x61", "",
                                         "dup", "dup", "\\",       "Setup.exe", "64",       "SF"};
    std::mt19937 random(seed);
    ClTreeOwner tree = NewTree();
    std::vector<ClTreeNode*> keys{ClTreeRoot(tree.get())};
    if (deepChain) {
        ClTreeNode* chain = keys[0];
        for (int depth = 1; depth <= kTreeMaxDepth; ++depth)
            chain = AddNamed(tree.get(), chain, true, depth % 2 ? "\x95\x5C" : "d");
        keys.push_back(chain);
    }
    for (int i = 0; i < nodes; ++i) {
        ClTreeNode* parent = keys[random() % keys.size()];
        bool key = random() % 3 == 0;
        string name = kNames[random() % (sizeof kNames / sizeof kNames[0])];
        if (random() % 8 == 0)
            name = string(random() % 300, static_cast<char>('A' + random() % 26));
        string data;
        bool withData = random() % 2 == 0;
        if (withData)
            for (std::uint32_t n = random() % 40; n > 0; --n)
                data += static_cast<char>(random());
        std::uint32_t spare = withSpare && withData && random() % 2 ? 4 : 0;
        if (key && random() % 10 == 0)
            parent = nullptr;
        ClTreeNode* node = AddNamed(tree.get(), parent, key, name, data, withData, spare);
        if (node == nullptr)
            continue;  // below the deepest key
        if (spare)
            std::memset(node->data + node->length, 0xEE, spare);
        if (key)
            keys.push_back(node);
    }
    return tree;
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

TEST_F(TreeFile, TruncatedImagesFailAtEveryOffset) {
    ClTreeOwner source = RandomTree(99, 12, true, false);
    for (std::uint8_t magic : {std::uint8_t{0}, CLT_MAGIC}) {
        string image = Save(source.get(), nullptr, kNamesAndData | magic);
        ASSERT_GT(image.size(), 60u);
        for (std::size_t length = 0; length < image.size(); ++length)
            ExpectRefused(image.substr(0, length), magic, "cut at " + std::to_string(length));
    }
}

TEST_F(TreeFile, DamagedImagesFailCleanly) {
    ExpectRefused("CLT2" + kExampleImage, CLT_MAGIC, "wrong magic");
    ExpectRefused(kExampleImage, CLT_MAGIC, "missing magic");
    const string root = Hex("09 00");
    ExpectRefused(Image(0x04, root + Hex("FFFFFFFF0F 80")), 0, "data length far beyond the file");
    ExpectRefused(Image(0x04, root + Hex("F0FFFFFF07 80"), UINT64_MAX >> 1), 0,
                  "2 GiB data block in a small file with a huge budget");
    ExpectRefused(Image(0x06, Hex("0A 00 01 76 00  80")), 0, "value at depth 0");
    ExpectRefused(Image(0x06, root + Hex("00 00  0A 02 01 76 00  80")), 0, "depth jump 1 to 2");
    ExpectRefused(Image(0x06, Hex("09 01 00 00  80")), 0, "first record below depth 0");

    // Budgets that end inside a record fail; one that ends between records ends the image.
    const string body = kExampleImage.substr(9);
    for (std::size_t budget = 1; budget < body.size(); ++budget) {
        ClTreeOwner target = NewTree();
        bool atRecordEnd = budget == 4 || budget == 13;
        EXPECT_EQ(Load(Image(0x06, body, budget), target.get(), nullptr, 0, 0, false),
                  atRecordEnd ? 1 : 0)
            << "budget " << budget;
    }
}

TEST_F(TreeFile, LowerDepthClimbsBackToTheRightKey) {
    // Root, k1, k2, a value under k2, then a top-level key.
    const string body = Hex("09 00  0B 01  0B 02  0A 03  03 00  80");
    ClTreeOwner tree = NewTree();
    ASSERT_EQ(Load(Image(0x00, body), tree.get(), nullptr, CLT_LOAD_REPLACE_ROOT), 1);
    EXPECT_EQ(DumpTree(tree.get()), "0 09 -\n1 09 -\n2 09 -\n3 08 -\n0 01 -\n");
    ExpectRefused(Image(0x00, body.substr(0, 8) + Hex("02 00  80")), 0,
                  "a value climbing to the top level");
}

}  // namespace
