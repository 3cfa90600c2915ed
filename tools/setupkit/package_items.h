// Views of a loaded package for the reading commands: the items of the file tree with their
// record fields, and the components with their file-index lists. Record fields are read only
// where they lie inside the node's data.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tree/tree.h"

struct ItemView {
    ClTreeNode* node = nullptr;
    std::string path;                // CP932 "IF\dir\name" (ClTreeGetPath with "\")
    std::vector<std::string> names;  // CP932 path components, the macro first
    bool isKey = false;
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
    std::uint32_t index = 0;
    bool hasIndex = false;

    bool IsRegistry() const;
    bool IsFile() const { return !isKey && !IsRegistry(); }
    // File records: times and entry offset; 0 when the record is too short.
    bool ReadTimes(std::uint64_t times[3]) const;  // creation, access, write
    bool ReadEntryOffset(std::uint64_t* offset) const;
    // The three shortcut strings, each cut at the data's end if its NUL is missing.
    std::vector<std::string> ShortcutStrings() const;
    // Registry key with the default-value check: mode and text.
    bool ReadCheck(std::uint8_t* mode, std::string* text) const;
};

// Every named node with data, in walk order.
std::vector<ItemView> ListItems(ClTree* fileTree);

struct ComponentView {
    ClTreeNode* node = nullptr;
    std::string name;  // CP932
    std::string path;  // CP932 names of the component and its ancestors, joined by "\"
    int depth = 0;
    std::uint8_t selection = 0;
    std::uint32_t subItems = 0;
    std::string description;                                  // CP932
    std::map<std::string, std::vector<std::uint32_t>> disks;  // disk name -> indexes
    bool malformedList = false;
    bool shortData = false;  // data block shorter than the 12-byte head
};

// Every component (named key with data) of a setup tree, in walk order, with its lists.
std::vector<ComponentView> ListComponents(ClTree* setupTree);

// Item flag names ("desktop", "menu", ...) of a file-tree or log entry.
std::string DescribeItemFlags(std::uint8_t flags, bool isKey);
// "2024-05-01 12:34:56" (UTC) of a FILETIME.
std::string FormatFileTime(std::uint64_t time);
