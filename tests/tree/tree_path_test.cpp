#include <gtest/gtest.h>

#include <string>

#include "tests/tree/tree_test_support.h"
#include "tree/tree.h"

namespace {

const std::string kHyo = "\x95\x5C";  // 表, trail byte 5C

std::string PathOf(const ClTreeNode* node) {
    std::uint32_t size = ClTreeGetPath(node, nullptr, "\\");
    std::string buffer(size, '#');
    EXPECT_EQ(ClTreeGetPath(node, &buffer[0], "\\"), 0u);
    EXPECT_EQ(buffer[size - 1], '\0') << "the size asked for holds the terminator exactly";
    return std::string(buffer.c_str());
}

// Paths are joined as the install engine names files by them, and found (by the tests of other
// folders) stepping over double-byte characters.
TEST(TreePath, JoinedAndFoundStepOverDoubleByteCharacters) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    ClTreeNode* folder = AddNamed(tree.get(), root, true, "Folder");
    ClTreeNode* hyo = AddNamed(tree.get(), folder, true, kHyo);
    ClTreeNode* file = AddNamed(tree.get(), hyo, false, "File.txt");
    ClTreeNode* key = AddNamed(tree.get(), hyo, true, "File.txt");
    ClTreeNodeInfo unnamedKey{TN_KEY | TN_LINKED, folder, nullptr, nullptr, 0, 0};
    ClTreeNode* unnamed = ClTreeAddNode(tree.get(), &unnamedKey);
    EXPECT_EQ(PathOf(root), "");
    EXPECT_EQ(PathOf(file), "\\Folder\\" + kHyo + "\\File.txt") << "the unnamed root: empty";
    EXPECT_EQ(PathOf(AddNamed(tree.get(), unnamed, false, "v")), "\\Folder\\\\v");
    EXPECT_EQ(PathOf(AddNamed(tree.get(), AddNamed(tree.get(), nullptr, true, "PD"), true, "x")),
              "PD\\x");

    const std::string path = "\\folder\\" + kHyo + "\\file.TXT";
    EXPECT_EQ(ClTreeFindPath(tree.get(), nullptr, path.c_str(), "\\", 0), file);
    EXPECT_EQ(ClTreeFindPath(tree.get(), nullptr, path.c_str(), "\\", TN_KEY), key);
    EXPECT_EQ(ClTreeFindPath(tree.get(), root, "Folder\x95", "\\", TN_KEY), nullptr)
        << "a lead byte before the terminator stays inside the string";

    // Logs of earlier writers split at every separator byte: 表 is the key 95 and, with more
    // behind it, the key 95 with that name below (the uninstall tests build such logs).
    ClTreeNode* lead = ClTreeCreatePath(tree.get(), root, kHyo.c_str(), "\\", nullptr);
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(std::string(lead->name), "\x95");
    EXPECT_EQ(ClTreeCreatePath(tree.get(), root, kHyo.c_str(), "\\", nullptr), lead);
    ClTreeNode* both = ClTreeCreatePath(tree.get(), root, (kHyo + "x").c_str(), "\\", nullptr);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->parent, lead);
}

}  // namespace
