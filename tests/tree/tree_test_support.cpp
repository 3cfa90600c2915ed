#include "tests/tree/tree_test_support.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

ClTreeNode* AddNamed(ClTree* tree, ClTreeNode* parent, bool key, const std::string& name,
                     const std::string& data, bool withData, std::uint32_t spare) {
    ClTreeNodeInfo info{};
    info.flags = TN_NAMED | TN_LINKED | (key ? TN_KEY : 0);
    info.parent = parent;
    info.name = name.c_str();
    if (withData || !data.empty()) {
        info.flags |= TN_DATA | (spare ? TN_SPARE : 0);
        info.data = reinterpret_cast<std::uint8_t*>(const_cast<char*>(data.data()));
        info.length = static_cast<std::uint32_t>(data.size());
        info.spare = spare;
    }
    return ClTreeAddNode(tree, &info);
}

std::string NodeData(const ClTreeNode* node) {
    if (!(node->flags & TN_DATA))
        return std::string();
    return std::string(reinterpret_cast<const char*>(node->data), node->length);
}

namespace {

std::string ToHex(const void* bytes, std::size_t count) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", static_cast<const std::uint8_t*>(bytes)[i]);
        text += digits;
    }
    return text;
}

}  // namespace

std::string DumpTree(ClTree* tree, std::uint8_t ignoredFlags) {
    std::string dump;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(tree); node; node = ClTreeNavigate(node, TN_WALK, &depth)) {
        char head[32];
        std::snprintf(head, sizeof head, "%d %02X ", depth, node->flags & ~ignoredFlags);
        dump += head;
        dump +=
            (node->flags & TN_NAMED) ? "'" + ToHex(node->name, std::strlen(node->name)) + "'" : "-";
        if (node->flags & TN_DATA)
            dump += " [" + ToHex(node->data, node->length) + "]";
        if ((node->flags & TN_SPARE) && !(ignoredFlags & TN_SPARE))
            dump += " +" + ToHex(node->data + node->length, node->spare);
        dump += "\n";
    }
    return dump;
}

ClTreeOwner RandomTree(unsigned seed, int nodes, bool withSpare) {
    static const char* const kNames[] = {"a",   "A",   "\x95\x5C", "\x83\x41",  "\x83\x61", "",
                                         "dup", "dup", "\\",       "Setup.exe", "64",       "SF"};
    std::mt19937 random(seed);
    ClTreeOwner tree = NewTree();
    if (withSpare) {
        std::uint8_t rootData[] = {9, 8};
        ClTreeNodeInfo head{TN_KEY | TN_DATA | TN_SPARE, nullptr, nullptr, rootData, 2, 4};
        std::memset(ClTreeReplaceRoot(tree.get(), &head)->data + 2, 0xAB, 4);
    }
    std::vector<ClTreeNode*> keys{ClTreeRoot(tree.get())};
    ClTreeNode* chain = keys[0];
    for (int depth = 1; depth <= kTreeMaxDepth; ++depth)
        chain = AddNamed(tree.get(), chain, true, depth % 2 ? "\x95\x5C" : "d");
    keys.push_back(chain);
    for (int i = 0; i < nodes; ++i) {
        ClTreeNode* parent = keys[random() % keys.size()];
        bool key = random() % 3 == 0;
        std::string name = kNames[random() % (sizeof kNames / sizeof kNames[0])];
        if (random() % 8 == 0)
            name = std::string(random() % 300, static_cast<char>('A' + random() % 26));
        std::string data;
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
