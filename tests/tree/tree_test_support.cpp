#include "tests/tree/tree_test_support.h"

#include <cstdio>

ClTreeNode* AddNamed(ClTree* tree, ClTreeNode* parent, bool key, const std::string& name,
                     const std::string& data, bool withData, std::uint32_t spare) {
    ClTreeNodeInfo info{};
    info.flags = TN_NAMED | TN_LINKED | (key ? TN_KEY : 0);
    info.parent = parent;
    info.name = name.c_str();
    if (withData || !data.empty()) {
        info.flags |= TN_DATA;
        info.data = reinterpret_cast<std::uint8_t*>(const_cast<char*>(data.data()));
        info.length = static_cast<std::uint32_t>(data.size());
        if (spare) {
            info.flags |= TN_SPARE;
            info.spare = spare;
        }
    }
    return ClTreeAddNode(tree, &info);
}

std::string NodeData(const ClTreeNode* node) {
    if (!(node->flags & TN_DATA))
        return std::string();
    return std::string(reinterpret_cast<const char*>(node->data), node->length);
}

namespace {

std::string Hex(const std::uint8_t* bytes, std::uint32_t count) {
    std::string text;
    char digits[4];
    for (std::uint32_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
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
        dump += (node->flags & TN_NAMED)
                    ? "'" +
                          Hex(reinterpret_cast<const std::uint8_t*>(node->name),
                              static_cast<std::uint32_t>(std::string(node->name).size())) +
                          "'"
                    : "-";
        if (node->flags & TN_DATA)
            dump += " [" + Hex(node->data, node->length) + "]";
        if ((node->flags & TN_SPARE) && !(ignoredFlags & TN_SPARE))
            dump += " +" + Hex(node->data + node->length, node->spare);
        dump += "\n";
    }
    return dump;
}

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreateForWriting(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}
