#include "install/component_selection.h"

#include <cstring>

#include "tree/tree.h"

namespace {

bool IsComponent(const ClTreeNode* node) {
    return (node->flags & (TN_KEY | TN_NAMED | TN_DATA)) == (TN_KEY | TN_NAMED | TN_DATA);
}

bool HasAllBits(const ClTreeNode* node, std::uint8_t mask) {
    return IsComponent(node) && node->length >= 1 && (node->data[0] & mask) == mask;
}

}  // namespace

ClTreeNode* NextComponent(ClTree* setupTree, ClTreeNode* after) {
    std::int32_t depth = 0;
    ClTreeNode* node = after ? ClTreeNavigate(after, TN_WALK, &depth) : ClTreeRoot(setupTree);
    while (node != nullptr && !IsComponent(node))
        node = ClTreeNavigate(node, TN_WALK, &depth);
    return node;
}

bool IsComponentSelected(ClTreeNode* component, std::uint8_t mask) {
    bool hasSubComponents = false;
    // The walk leaves the component's subtree when the depth falls back to 0.
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeNavigate(component, TN_WALK, &depth);
         node != nullptr && depth > 0; node = ClTreeNavigate(node, TN_WALK, &depth)) {
        if (!IsComponent(node))
            continue;
        if (HasAllBits(node, mask))
            return true;
        hasSubComponents = true;
    }
    return !hasSubComponents && HasAllBits(component, mask);
}

int ComponentDiskList(ClTree* setupTree, ClTreeNode* component, const char* disk,
                      const std::uint8_t** data, std::uint32_t* length) {
    ClTreeNode* list = ClTreeFindChild(setupTree, component, disk,
                                       static_cast<std::uint32_t>(std::strlen(disk)), 0);
    if (list == nullptr || !(list->flags & TN_DATA) || list->length == 0)
        return 0;
    *data = list->data;
    *length = list->length;
    return 1;
}
