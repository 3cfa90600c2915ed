#include "tools/setupkit/package_items.h"

#include <algorithm>
#include <ctime>

#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "setupinfo/folder_macro_codes.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/host.h"

namespace {

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

std::string PathOf(const ClTreeNode* node) {
    std::string path(ClTreeGetPath(node, nullptr, "\\"), '\0');
    ClTreeGetPath(node, path.data(), "\\");
    path.resize(path.size() - 1);  // the terminator
    return path;
}

std::vector<std::string> NamesOf(ClTreeNode* node) {
    std::vector<std::string> names;
    for (; node; node = ClTreeNavigate(node, TN_PARENT, nullptr)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        names.insert(names.begin(), info->name ? info->name : "");
    }
    return names;
}

// Sorts the ranges and joins those that overlap or touch.
IndexRanges Merged(IndexRanges ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const SFileIndexRange& a, const SFileIndexRange& b) { return a.first < b.first; });
    IndexRanges merged;
    for (const SFileIndexRange& range : ranges) {
        if (!merged.empty() && range.first <= static_cast<std::uint64_t>(merged.back().last) + 1)
            merged.back().last = std::max(merged.back().last, range.last);
        else
            merged.push_back(range);
    }
    return merged;
}

const char* NameOf(const ClTreeNodeInfo* info) {
    return (info->flags & TN_NAMED) && info->name ? info->name : "";
}

// Names in one folder that Windows takes for the same, as the setup program compares them.
void CheckSiblings(ClTreeNode* key, std::vector<std::string>& problems) {
    std::map<std::string, ClTreeNode*> seen;
    for (std::uint8_t first : {TN_FIRST_KEY, TN_FIRST_VALUE}) {
        for (ClTreeNode* child = ClTreeNavigate(key, first, nullptr); child;
             child = ClTreeNavigate(child, TN_NEXT, nullptr)) {
            auto [at, added] = seen.emplace(FoldCp932Case(NameOf(child)), child);
            if (!added)
                problems.push_back(Cp932ToUtf8(PathOf(child)) + ": differs from " +
                                   Quote(NameOf(at->second)) +
                                   " only in letter case; Windows makes them one");
        }
    }
}

}  // namespace

bool IsRegistryRootCode(const std::string& code) {
    const std::uint16_t id = FolderMacroId(code.c_str());
    return code.size() == 2 && id >= FolderMacro::CR && id <= FolderMacro::CC &&
           code == FolderMacroCode(id);
}

std::string DescribeNameProblem(NameProblem problem, const std::string& name) {
    const std::string quoted = Quote(Cp932ToUtf8(name));
    switch (problem) {
        case NAME_SAFE:
            break;
        case NAME_EMPTY:
            return "an empty name";
        case NAME_DOTS:
            return "the name " + quoted + " would leave its folder";
        case NAME_SEPARATOR:
            return "the name " + quoted + " holds a path separator or a drive colon";
        case NAME_INVALID_CHARACTER:
            return "the name " + quoted + " holds a character that Windows refuses in names";
        case NAME_TRAILING_DOT_OR_SPACE:
            return "the name " + quoted + " ends in a dot or space, which Windows drops";
        case NAME_DEVICE:
            return "the name " + quoted + " is a device name";
    }
    return {};
}

std::vector<std::string> FileNameProblems(ClTree* fileTree) {
    std::vector<std::string> problems;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(fileTree); node;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        ClTreeNode* top = node;
        while (ClTreeNodeGetInfo(top)->parent)
            top = ClTreeNodeGetInfo(top)->parent;
        if (IsRegistryRootCode(NameOf(ClTreeNodeGetInfo(top))))
            continue;
        const NameProblem problem = PathNameProblem(NameOf(info));
        // The tree's own roots are unnamed; the verifier names a top-level key that is no macro.
        if (problem != NAME_SAFE && (info->parent || (info->flags & TN_NAMED)))
            problems.push_back(Cp932ToUtf8(PathOf(node)) + ": " +
                               DescribeNameProblem(problem, NameOf(info)));
        if (info->flags & TN_KEY)
            CheckSiblings(node, problems);
    }
    return problems;
}

bool RangesHold(const IndexRanges& ranges, std::uint32_t index) {
    auto after = std::upper_bound(
        ranges.begin(), ranges.end(), index,
        [](std::uint32_t value, const SFileIndexRange& range) { return value < range.first; });
    return after != ranges.begin() && index <= (after - 1)->last;
}

std::vector<ItemView> ListItems(ClTree* fileTree) {
    std::vector<ItemView> items;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(fileTree); node;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        if (!(info->flags & TN_NAMED) || !(info->flags & TN_DATA))
            continue;
        ItemView item;
        item.node = node;
        item.path = PathOf(node);
        item.names = NamesOf(node);
        item.isKey = info->flags & TN_KEY;
        item.data = info->data;
        item.length = info->length;
        item.complete = FileRecordRead(info->data, info->length, item.isKey, &item.record);
        item.hasIndex = FileRecordReadIndex(info->data, info->length, &item.record.index);
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ComponentView> ListComponents(ClTree* setupTree) {
    std::vector<ComponentView> components;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(setupTree); node;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        const ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
        if (!(info->flags & TN_KEY) || !(info->flags & TN_NAMED) || !(info->flags & TN_DATA))
            continue;
        ComponentView component;
        component.node = node;
        component.name = info->name;
        component.path = PathOf(node);
        if (!component.path.empty() && component.path[0] == '\\')
            component.path.erase(0, 1);
        component.depth = depth;
        component.shortData = info->length < kComponentDescription;
        component.selection = info->length ? info->data[0] : 0;
        if (!component.shortData)
            component.subItems = LoadLe32(info->data + kComponentSubItems);
        for (std::uint32_t at = kComponentDescription; at < info->length && info->data[at]; ++at)
            component.description += static_cast<char>(info->data[at]);
        for (ClTreeNode* value = ClTreeNavigate(node, TN_FIRST_VALUE, nullptr); value;
             value = ClTreeNavigate(value, TN_NEXT, nullptr)) {
            const ClTreeNodeInfo* list = ClTreeNodeGetInfo(value);
            if (!(list->flags & TN_NAMED))
                continue;
            IndexRanges& disk = component.disks[list->name];
            SFileIndexListReader reader;
            FileIndexListBegin(&reader, list->data, list->length);
            SFileIndexRange range;
            while (FileIndexListNext(&reader, &range))
                disk.push_back(range);
            disk = Merged(std::move(disk));
            component.malformedList = component.malformedList || reader.malformed;
        }
        components.push_back(std::move(component));
    }
    return components;
}

std::string DescribeItemFlags(std::uint8_t flags, bool isKey) {
    struct Name {
        std::uint8_t bit;
        const char* file;
        const char* registryKey;
    };
    static const Name names[] = {
        {ITEM_DESKTOP_SHORTCUT, "desktop_shortcut", "check_default"},
        {ITEM_MENU_SHORTCUT, "program_menu_shortcut", "recursive"},
        {ITEM_SHARED_DLL, "shared_dll", "shared_dll"},
        {ITEM_DELETE_AT_RESTART, "delete_at_restart", "delete_at_restart"},
        {ITEM_REGISTRY, "registry", "registry"},
        {ITEM_NEVER_REMOVE, "never_remove", "never_remove"},
        {ITEM_UNINSTALL_ONLY, "uninstall_only", "uninstall_only"},
        {ITEM_DISPLAY_ICON, "display_icon", "display_icon"},
    };
    const bool registryKey = isKey && (flags & ITEM_REGISTRY);
    std::string text;
    for (const Name& name : names) {
        if (flags & name.bit)
            text +=
                std::string(text.empty() ? "" : ",") + (registryKey ? name.registryKey : name.file);
    }
    return text;
}

std::string FormatFileTime(const FILETIME& fileTime) {
    const std::uint64_t time =
        static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32 | fileTime.dwLowDateTime;
    // FILETIME counts 100 ns from 1601; Unix time starts 11644473600 s later.
    const std::int64_t seconds = static_cast<std::int64_t>(time / 10000000) - 11644473600LL;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (!UtcTime(t, &parts))
        return "-";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}
