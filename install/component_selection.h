// Components of the setup tree and which of them an install selects.
//
// A component is a key of the setup tree with a name and data; the first data byte holds its
// selection bits (COMPONENT_CUSTOM, COMPONENT_STANDARD). Its sub-keys are sub-components, and
// each of its values, named like a disk, holds its file-index list for that disk.
#pragma once

#include <cstdint>

class ClTree;
struct ClTreeNode;

// The next component after `after` in document order (null: the first), or null.
ClTreeNode* NextComponent(ClTree* setupTree, ClTreeNode* after);
// A component without sub-components is selected when all bits of mask are set in it; one with
// sub-components when some component below it has them all (its own bits do not count).
bool IsComponentSelected(ClTreeNode* component, std::uint8_t mask);
// The file-index list of a component on a disk: the data of its value named like the disk
// (ASCII case ignored). 1 with data and length, or 0 when it has none.
int ComponentDiskList(ClTree* setupTree, ClTreeNode* component, const char* disk,
                      const std::uint8_t** data, std::uint32_t* length);
