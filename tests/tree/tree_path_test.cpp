#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/tree/tree_test_support.h"
#include "tree/tree.h"

namespace {

const std::string kHyo = "\x95\x5C";  // 表, trail byte 5C

std::string PathOf(const ClTreeNode* node, const char* separator = "\\") {
    std::uint32_t size = ClTreeGetPath(node, nullptr, separator);
    std::string buffer(size, '#');
    EXPECT_EQ(ClTreeGetPath(node, &buffer[0], separator), 0u);
    // Each level counts one separator: for a one-byte separator that is exactly the terminator.
    EXPECT_EQ(buffer[size - std::strlen(separator)], '\0') << "size " << size;
    return std::string(buffer.c_str());
}

TEST(TreePath, JoinedAndFoundStepOverDoubleByteCharacters) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    ClTreeNode* folder = AddNamed(tree.get(), root, true, "Folder");
    ClTreeNode* hyo = AddNamed(tree.get(), folder, true, kHyo);
    ClTreeNode* file = AddNamed(tree.get(), hyo, false, "File.txt");
    ClTreeNode* key = AddNamed(tree.get(), hyo, true, "File.txt");
    ClTreeNodeInfo unnamedKey{TN_KEY | TN_LINKED, folder, nullptr, nullptr, 0, 0};
    ClTreeNode* unnamed = ClTreeAddNode(tree.get(), &unnamedKey);
    ClTreeNode* top = AddNamed(tree.get(), nullptr, true, "PD");
    EXPECT_EQ(ClTreeGetPath(root, nullptr, "\\"), 1u);
    EXPECT_EQ(PathOf(root), "");
    EXPECT_EQ(PathOf(file), "\\Folder\\" + kHyo + "\\File.txt")
        << "the unnamed root: an empty start";
    EXPECT_EQ(PathOf(file, "::"), "::Folder::" + kHyo + "::File.txt");
    EXPECT_EQ(PathOf(AddNamed(tree.get(), unnamed, false, "v")), "\\Folder\\\\v");
    EXPECT_EQ(PathOf(AddNamed(tree.get(), top, true, "x")), "PD\\x");

    const std::string path = "\\folder\\" + kHyo + "\\file.TXT";
    EXPECT_EQ(ClTreeFindPath(tree.get(), nullptr, path.c_str(), "\\", 0), file);
    EXPECT_EQ(ClTreeFindPath(tree.get(), nullptr, path.c_str(), "\\", TN_KEY), key);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "Folder\\", "\\", 0), folder)
        << "a trailing separator names the key";
    EXPECT_EQ(ClTreeFindPath(tree.get(), folder, kHyo.c_str(), "\\", TN_KEY), hyo);
    EXPECT_EQ(ClTreeFindPath(tree.get(), nullptr, "\\", "\\", 0), root);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "Folder\\missing\\File.txt", "\\", 0), nullptr);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "", "\\", TN_KEY), nullptr);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "Folder", "", TN_KEY), nullptr);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "Folder\x95", "\\", TN_KEY), nullptr)
        << "a lead byte before the terminator stays inside the string";
}

TEST(TreeCreatePath, SplitsAtEverySeparatorByteAndCreatesFromTheTemplate) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    ClTreeNode* existing = AddNamed(tree.get(), root, true, "Program Files");
    std::uint8_t bytes[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    ClTreeNodeInfo folder{TN_DATA | TN_SPARE, nullptr, nullptr, bytes, 8, 4};
    ClTreeNode* app =
        ClTreeCreatePath(tree.get(), root, "program files\\Maker\\App\\", "\\", &folder);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "Program Files\\Maker\\App", "\\", TN_KEY), app);
    EXPECT_EQ(existing->flags, TN_KEY | TN_NAMED | TN_LINKED) << "an existing key is kept";
    EXPECT_EQ(app->flags, TN_KEY | TN_NAMED | TN_DATA | TN_LINKED | TN_SPARE);
    EXPECT_EQ(*ClTreeNodeCounter(app), 0xFFFFFFFFu);
    EXPECT_EQ(ClTreeCreatePath(tree.get(), root, "PROGRAM FILES\\maker\\app", "\\", nullptr), app)
        << "an existing path is found";

    // 表 (95 5C) is two components here: a key named 95 and nothing behind the separator.
    ClTreeNode* lead = ClTreeCreatePath(tree.get(), root, kHyo.c_str(), "\\", nullptr);
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(std::string(lead->name), "\x95");
    EXPECT_EQ(ClTreeCreatePath(tree.get(), root, kHyo.c_str(), "\\", nullptr), lead)
        << "the lone lead byte key is found again, not made twice";
    ClTreeNode* both = ClTreeCreatePath(tree.get(), root, (kHyo + "x").c_str(), "\\", nullptr);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->parent, lead);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, (kHyo + "x").c_str(), "\\", TN_KEY), nullptr)
        << "the finder reads 表x as one name";

    // Two separators make an empty component; an empty path always makes one more key.
    ClTreeNode* gap = ClTreeCreatePath(tree.get(), root, "g\\\\h", "\\", nullptr);
    EXPECT_EQ(PathOf(gap), "\\g\\\\h");
    ClTreeNode* empty = ClTreeCreatePath(tree.get(), app, "", "\\", nullptr);
    EXPECT_NE(ClTreeCreatePath(tree.get(), app, "", "\\", nullptr), empty);
    EXPECT_EQ(PathOf(empty), "\\Program Files\\Maker\\App\\");
    ClTreeNode* top = ClTreeCreatePath(tree.get(), nullptr, "SF::Sub", "::", nullptr);
    EXPECT_EQ(PathOf(top, "::"), "SF::Sub") << "without a start key the path begins at the top";

    // Names longer than the first name buffer, and a path deeper than the tree allows: the
    // keys made before the limit stay.
    std::string longName(1000, 'n');
    ClTreeNode* deep =
        ClTreeCreatePath(tree.get(), root, (longName + "\\" + longName).c_str(), "\\", nullptr);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(std::string(deep->name), longName);
    std::string path;
    for (int i = 0; i < kTreeMaxDepth + 5; ++i)
        path += "k\\";
    EXPECT_EQ(ClTreeCreatePath(tree.get(), root, path.c_str(), "\\", nullptr), nullptr);
    path.resize(2 * kTreeMaxDepth);
    EXPECT_NE(ClTreeFindPath(tree.get(), root, path.c_str(), "\\", TN_KEY), nullptr);

    ClTreeNode* value = AddNamed(tree.get(), root, false, "v");
    EXPECT_EQ(ClTreeCreatePath(tree.get(), value, "x", "\\", nullptr), nullptr);
    EXPECT_EQ(ClTreeCreatePath(tree.get(), root, "x", "", nullptr), nullptr);
    EXPECT_EQ(ClTreeCreatePath(nullptr, root, "x", "\\", nullptr), nullptr);
}

}  // namespace
