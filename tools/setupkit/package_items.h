// Views of a loaded package for the reading commands: the items of the file tree with their
// record fields, and the components with their file-index lists. Record fields are read only
// where they lie inside the node's data.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/safe_name.h"
#include "package/layout/file_index_list.h"
#include "package/layout/file_record.h"
#include "tree/tree.h"

struct ItemView {
    ClTreeNode* node = nullptr;
    std::string path;                // CP932 "IF\dir\name" (ClTreeGetPath with "\")
    std::vector<std::string> names;  // CP932 path components, the macro first
    bool isKey = false;
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    SFileRecord record;     // kind, flags and index as far as the data holds them
    bool hasIndex = false;  // the data holds the file index
    bool complete = false;  // the data holds every field of the record's kind

    bool IsRegistry() const { return record.flags & ITEM_REGISTRY; }
    bool IsFile() const { return record.kind == RECORD_FILE; }
};

// True for the two-letter codes of the registry roots (CR, CU, LM, US, CC).
bool IsRegistryRootCode(const std::string& code);

// Why a CP932 name cannot be one path component, for messages: "the name '..' would leave
// its folder".
std::string DescribeNameProblem(NameProblem problem, const std::string& name);

// The names of the file tree's file-system items (registry items are left alone) that are no
// safe path component, and the names of one folder that differ only in ASCII letter case:
// one message each, the item's path first.
std::vector<std::string> FileNameProblems(ClTree* fileTree);

// Every named node with data, in walk order.
std::vector<ItemView> ListItems(ClTree* fileTree);

// The indexes a component lists on one disk: ascending ranges that neither overlap nor touch,
// never expanded, so that a damaged range costs no more than a sound one.
using IndexRanges = std::vector<SFileIndexRange>;
bool RangesHold(const IndexRanges& ranges, std::uint32_t index);

struct ComponentView {
    ClTreeNode* node = nullptr;
    std::string name;  // CP932
    std::string path;  // CP932 names of the component and its ancestors, joined by "\"
    int depth = 0;
    std::uint8_t selection = 0;
    std::uint32_t subItems = 0;
    std::string description;                   // CP932
    std::map<std::string, IndexRanges> disks;  // disk name -> indexes
    bool malformedList = false;
    bool shortData = false;  // data block shorter than the 12-byte head
};

// Every component (named key with data) of a setup tree, in walk order, with its lists.
std::vector<ComponentView> ListComponents(ClTree* setupTree);

// Item flag names ("desktop", "menu", ...) of a file-tree or log entry.
std::string DescribeItemFlags(std::uint8_t flags, bool isKey);
// "2024-05-01 12:34:56" (UTC) of a FILETIME.
std::string FormatFileTime(const FILETIME& time);
