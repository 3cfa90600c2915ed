#include "tests/tree/tree_test_support.h"

#include <cstdio>
#include <cstring>

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
