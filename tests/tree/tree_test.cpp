#include "tree/tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/tree/tree_test_support.h"

namespace {

using Names = std::vector<std::string>;

// Names of a list, following TN_NEXT from first, checked against TN_PREV on the way back.
Names ListNames(ClTreeNode* first) {
    Names names;
    ClTreeNode* last = nullptr;
    for (ClTreeNode* node = first; node; node = ClTreeNavigate(node, TN_NEXT, nullptr)) {
        EXPECT_EQ(ClTreeNavigate(node, TN_PREV, nullptr), last) << "broken back link";
        names.push_back((node->flags & TN_NAMED) ? node->name : "<unnamed>");
        last = node;
    }
    return names;
}

// ア (83 41) and ヂ (83 61) differ only in the ASCII case of their trail bytes.
const std::string kA = "\x83\x41", kDi = "\x83\x61";

// The name and data of a found node, "-" for none.
std::string Found(const ClTreeNode* node) {
    return node ? std::string(node->name) + "=" + NodeData(node) : "-";
}

TEST(TreeOrder, SortedListsAndLookups) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    int index = 0;
    for (const std::string& name : Names{"b", "a", "B", "a", kA, "ab", ""})
        AddNamed(tree.get(), root, false, name, std::to_string(index++));
    for (const std::string& name : Names{"A", kDi + "A"})
        AddNamed(tree.get(), root, true, name, "key");
    // Bytes compare unsigned, ASCII case folded; equal names keep their order.
    EXPECT_EQ(ListNames(ClTreeNavigate(root, TN_FIRST_VALUE, nullptr)),
              (Names{"", "B", "a", "a", "ab", "b", kA}));
    ClTreeNode* firstA = ClTreeFindChild(tree.get(), root, "A", 1, 0);
    EXPECT_EQ(NodeData(ClTreeNavigate(firstA, TN_NEXT, nullptr)), "3");
    const struct {
        std::string name;
        std::uint8_t kind;
        std::string found;
    } rows[] = {
        {"A", 0, "a=1"},
        {"b", 0, "B=2"},
        {"a", TN_KEY, "A=key"},
        {kA + "a", TN_KEY, "-"},  // double-byte pairs compare exactly
        {kDi + "a", TN_KEY, kDi + "A=key"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Found(ClTreeFindChild(tree.get(), root, row.name.c_str(),
                                        static_cast<std::uint32_t>(row.name.size()), row.kind)),
                  row.found)
            << row.name;
    }
    EXPECT_EQ(Found(ClTreeFindChild(tree.get(), root, "ab", 1, 0)), "a=1") << "length limits";
    // A name ending in a lone lead byte is read within its length only (a heap block of
    // exactly one byte lets AddressSanitizer see an over-read).
    ClTreeNode* lone = AddNamed(tree.get(), root, true, "\x95");
    std::unique_ptr<char[]> exact(new char[1]{'\x95'});
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, exact.get(), 1, TN_KEY), lone);
}

// Loading and the install engine keep arrays of kTreeMaxDepth levels: nothing goes deeper.
TEST(TreeAdd, ParentRulesDataBlocksAndCounters) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    ClTreeNode* key = root;
    for (int depth = 1; depth <= kTreeMaxDepth; ++depth)
        ASSERT_NE(key = AddNamed(tree.get(), key, true, "k"), nullptr) << "depth " << depth;
    EXPECT_EQ(AddNamed(tree.get(), key, false, "deeper"), nullptr) << "parent has 254 ancestors";
    ClTreeNode* value = AddNamed(tree.get(), key->parent, false, "v");
    ASSERT_NE(value, nullptr) << "one level less works";
    EXPECT_EQ(AddNamed(tree.get(), value, false, "under a value"), nullptr);
    EXPECT_EQ(AddNamed(tree.get(), nullptr, false, "value at top"), nullptr);

    // The shared-file counter is the last four bytes of a data block, zeroed in its spare tail.
    for (std::uint32_t length : {0u, 3u, 4u, 9u}) {
        ClTreeNode* node =
            AddNamed(tree.get(), root, false, "d", std::string(length, 'z'), true, 4);
        auto* counter = reinterpret_cast<std::uint8_t*>(ClTreeNodeCounter(node));
        EXPECT_EQ(counter, length < 4 ? nullptr : node->data + length - 4) << length;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(node->data) + length, 4),
                  std::string(4, '\0'));
    }
}

TEST(TreeDelete, FirstMiddleAndLastOfEachList) {
    const char* names[3] = {"a", "b", "c"};
    for (int victim = 0; victim < 3; ++victim) {
        ClTreeOwner tree = NewTree();
        ClTreeNode* root = ClTreeRoot(tree.get());
        ClTreeNode* nodes[3][3];  // value, key with a child, top-level key
        for (int i = 0; i < 3; ++i) {
            nodes[i][0] = AddNamed(tree.get(), root, false, names[i], "data");
            nodes[i][1] = AddNamed(tree.get(), root, true, names[i], "data");
            AddNamed(tree.get(), nodes[i][1], false, "child", "x");
            nodes[i][2] = AddNamed(tree.get(), nullptr, true, names[i]);
        }
        for (ClTreeNode* node : nodes[victim])
            EXPECT_EQ(ClTreeDeleteNode(tree.get(), node), 1);
        Names left{"<unnamed>"};
        for (int i = 0; i < 3; ++i)
            if (i != victim)
                left.push_back(names[i]);
        EXPECT_EQ(ListNames(ClTreeRoot(tree.get())), left);
        left.erase(left.begin());
        EXPECT_EQ(ListNames(ClTreeNavigate(root, TN_FIRST_VALUE, nullptr)), left);
        EXPECT_EQ(ListNames(ClTreeNavigate(root, TN_FIRST_KEY, nullptr)), left);
    }
}

TEST(TreeCopyAndClear, DeepCopyWithSpareTailsReplacesTheContent) {
    ClTreeOwner source = RandomTree(5, 300, true);
    ClTreeOwner destination = NewTree();
    AddNamed(destination.get(), ClTreeRoot(destination.get()), false, "stale");
    AddNamed(destination.get(), nullptr, true, "stale top");
    ASSERT_EQ(ClTreeCopy(destination.get(), source.get()), 1);
    // Node by node, spare tails (the root's too) included; freeing both trees shows that
    // nothing is shared.
    EXPECT_EQ(DumpTree(destination.get()), DumpTree(source.get()));
    const std::string root = "0 1D - [0908] +ABABABAB\n";
    // Clearing keeps only the root, with emptied links.
    EXPECT_EQ(ClTreeClear(destination.get()), 1);
    EXPECT_EQ(DumpTree(destination.get()), root);
}

}  // namespace
