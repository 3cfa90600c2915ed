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

TEST(TreeOrder, SortedListsAndLookups) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    AddNamed(tree.get(), root, false, "b", "1");
    ClTreeNode* firstA = AddNamed(tree.get(), root, false, "a", "2");
    AddNamed(tree.get(), root, false, "B", "3");
    ClTreeNode* secondA = AddNamed(tree.get(), root, false, "a", "4");
    AddNamed(tree.get(), root, false, kA);  // bytes compare unsigned
    AddNamed(tree.get(), root, false, "ab");
    ClTreeNode* empty = AddNamed(tree.get(), root, false, "");
    EXPECT_EQ(ListNames(ClTreeNavigate(root, TN_FIRST_VALUE, nullptr)),
              (Names{"", "B", "a", "a", "ab", "b", kA}));
    EXPECT_EQ(ClTreeNavigate(firstA, TN_NEXT, nullptr), secondA) << "equal names keep their order";
    EXPECT_LT(ClTreeCompareNames(root, empty), 0) << "unnamed sorts before an empty name";
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, "A", 1, 0), firstA);
    EXPECT_EQ(NodeData(ClTreeFindChild(tree.get(), root, "b", 1, 0)), "3") << "B comes first";
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, "ab", 1, 0), firstA) << "length limits the name";
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, "a", 1, TN_KEY), nullptr) << "no key named a";

    ClTreeNode* key = AddNamed(tree.get(), root, true, "A");
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, "a", 1, TN_KEY), key);
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, "a", 1, 0), firstA);
    EXPECT_EQ(ClTreeFindChild(tree.get(), firstA, "a", 1, 0), nullptr) << "a value has no children";
    // The top level holds keys only; the unnamed root matches an empty name.
    EXPECT_EQ(ClTreeFindChild(tree.get(), nullptr, "", 0, TN_KEY), root);
    EXPECT_EQ(ClTreeFindChild(tree.get(), nullptr, "", 0, 0), nullptr);

    // Double-byte pairs compare exactly; the ASCII after them still folds.
    ClTreeNode* di = AddNamed(tree.get(), root, true, kDi + "A");
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, (kA + "a").c_str(), 3, TN_KEY), nullptr);
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, (kDi + "a").c_str(), 3, TN_KEY), di);
    // A name ending in a lone lead byte is read within its length only (a heap block of
    // exactly one byte lets AddressSanitizer see an over-read).
    ClTreeNode* lone = AddNamed(tree.get(), root, true, "\x95");
    std::unique_ptr<char[]> exact(new char[1]{'\x95'});
    EXPECT_EQ(ClTreeFindChild(tree.get(), root, exact.get(), 1, TN_KEY), lone);
}

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
    ClTreeNodeInfo unnamed{TN_KEY | TN_NAMED, root, nullptr, nullptr, 0, 0};
    EXPECT_EQ(ClTreeAddNode(tree.get(), &unnamed), nullptr) << "TN_NAMED without a name";

    // Data blocks get a zero-filled spare tail; the counter is their last four bytes, aligned.
    for (std::uint32_t length = 0; length < 12; ++length) {
        std::string data(length, '\x7A');
        ClTreeNode* node = AddNamed(tree.get(), root, false, "d", data, true, 4);
        ASSERT_EQ(NodeData(node) + std::string(reinterpret_cast<char*>(node->data) + length, 4),
                  data + std::string(4, '\0'));
        auto* counter = reinterpret_cast<std::uint8_t*>(ClTreeNodeCounter(node));
        EXPECT_EQ(counter, length < 4 ? nullptr : node->data + length - 4) << length;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(counter) % 4, 0u) << "aligned, " << length;
    }
    EXPECT_EQ(ClTreeNodeCounter(AddNamed(tree.get(), root, false, "p")), nullptr) << "no data";
}

TEST(TreeNavigate, ModesWalkOrderAndDepth) {
    ClTreeOwner tree = NewTree();
    ClTreeNode* root = ClTreeRoot(tree.get());
    ClTreeNode* a = AddNamed(tree.get(), root, true, "a");
    ClTreeNode* aa = AddNamed(tree.get(), a, true, "aa");
    AddNamed(tree.get(), aa, true, "aaa");
    ClTreeNode* value = AddNamed(tree.get(), a, false, "av");
    AddNamed(tree.get(), root, true, "b");
    AddNamed(tree.get(), root, false, "rv");
    AddNamed(tree.get(), nullptr, true, "top");
    // Keys before values at every level; deep climbs back to a further top-level key.
    EXPECT_EQ(DumpTree(tree.get()),
              "0 09 -\n1 0B '61'\n2 0B '6161'\n3 0B '616161'\n2 0A '6176'\n1 0B '62'\n"
              "1 0A '7276'\n0 03 '746F70'\n");
    EXPECT_EQ(ClTreeNavigate(root, TN_TOP, nullptr), root) << "a top-level key is its own top";
    EXPECT_EQ(ClTreeNavigate(value, TN_TOP, nullptr), root);
    EXPECT_EQ(ClTreeNavigate(value, TN_FIRST_KEY, nullptr), nullptr);
    EXPECT_EQ(ClTreeNavigate(value, 0x10 | TN_PARENT, nullptr), a) << "high bits ignored";
    EXPECT_EQ(ClTreeNavigate(a, 7, nullptr), nullptr) << "no mode 7";
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
    ClTreeOwner tree = NewTree();
    EXPECT_EQ(ClTreeDeleteNode(tree.get(), nullptr), 1);
    // Deleting the root makes the next top-level key the root; deleting that empties the tree.
    ClTreeNode* next = AddNamed(tree.get(), nullptr, true, "next");
    EXPECT_EQ(ClTreeDeleteNode(tree.get(), ClTreeRoot(tree.get())), 1);
    EXPECT_EQ(ClTreeRoot(tree.get()), next);
    EXPECT_EQ(ClTreeNavigate(next, TN_PREV, nullptr), nullptr);
    EXPECT_EQ(ClTreeDeleteNode(tree.get(), next), 1);
    EXPECT_EQ(ClTreeRoot(tree.get()), nullptr);
}

TEST(TreeCopyAndClear, DeepCopyWithSpareTailsReplacesTheContent) {
    ClTreeOwner source = RandomTree(5, 300, true, true);
    ClTreeOwner destination = NewTree();
    AddNamed(destination.get(), ClTreeRoot(destination.get()), false, "stale");
    AddNamed(destination.get(), nullptr, true, "stale top");
    ASSERT_EQ(ClTreeCopy(destination.get(), source.get()), 1);
    // Node by node, spare tails (the root's too) included; freeing both trees shows that
    // nothing is shared.
    EXPECT_EQ(DumpTree(destination.get()), DumpTree(source.get()));
    const std::string root = "0 1D - [0908] +ABABABAB\n";
    EXPECT_EQ(DumpTree(destination.get()).substr(0, root.size()), root);
    EXPECT_EQ(ClTreeCopy(source.get(), source.get()), 1) << "copying onto itself changes nothing";
    EXPECT_EQ(DumpTree(source.get()), DumpTree(destination.get()));
    EXPECT_EQ(ClTreeCopy(nullptr, source.get()), 0);
    // Clearing keeps only the root, with emptied links.
    EXPECT_EQ(ClTreeClear(destination.get()), 1);
    EXPECT_EQ(DumpTree(destination.get()), root);
    EXPECT_NE(AddNamed(destination.get(), ClTreeRoot(destination.get()), false, "again"), nullptr);
}

}  // namespace
