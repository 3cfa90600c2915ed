#include "tools/setupkit/package_items.h"

#include <ctime>

#include "package/layout/package_layout.h"

namespace {

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

// The setup program sizes a disk's flag array by the largest index and refuses 0xFFFFFF or
// more; no list of a working package goes beyond it.
constexpr std::uint32_t kIndexLimit = 0xFFFFFE;

}  // namespace

bool ItemView::IsRegistry() const {
    return flags & ITEM_REGISTRY;
}

bool ItemView::ReadTimes(std::uint64_t times[3]) const {
    return RecordReadU64(data, length, kRecordCreationTime, &times[0]) &&
           RecordReadU64(data, length, kRecordAccessTime, &times[1]) &&
           RecordReadU64(data, length, kRecordWriteTime, &times[2]);
}

bool ItemView::ReadEntryOffset(std::uint64_t* offset) const {
    return RecordReadU64(data, length, kRecordEntryOffset, offset);
}

std::vector<std::string> ItemView::ShortcutStrings() const {
    std::vector<std::string> strings;
    std::uint32_t at = kRecordShortcuts;
    for (int i = 0; i < 3; ++i) {
        std::string text;
        while (at < length && data[at] != 0)
            text += static_cast<char>(data[at++]);
        ++at;
        strings.push_back(text);
    }
    return strings;
}

bool ItemView::ReadCheck(std::uint8_t* mode, std::string* text) const {
    if (!(flags & ITEM_KEY_CHECK_DEFAULT) || length <= kRegistryCheckMode)
        return false;
    *mode = data[kRegistryCheckMode];
    text->clear();
    for (std::uint32_t at = kRegistryCheckMode + 1; at < length && data[at]; ++at)
        *text += static_cast<char>(data[at]);
    return true;
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
        item.flags = info->length ? info->data[kRecordFlags] : 0;
        item.hasIndex = RecordReadU32(info->data, info->length, kRecordIndex, &item.index);
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
        RecordReadU32(info->data, info->length, kComponentSubItems, &component.subItems);
        for (std::uint32_t at = kComponentDescription; at < info->length && info->data[at]; ++at)
            component.description += static_cast<char>(info->data[at]);
        std::uint64_t total = 0;
        for (ClTreeNode* value = ClTreeNavigate(node, TN_FIRST_VALUE, nullptr); value;
             value = ClTreeNavigate(value, TN_NEXT, nullptr)) {
            const ClTreeNodeInfo* list = ClTreeNodeGetInfo(value);
            if (!(list->flags & TN_NAMED))
                continue;
            std::vector<std::uint32_t>& indexes = component.disks[list->name];
            SFileListCursor cursor;
            FileListBegin(&cursor, list->data, list->length);
            std::uint32_t index;
            while (FileListNext(&cursor, &index)) {
                if (index > kIndexLimit || ++total > kIndexLimit) {
                    cursor.malformed = 1;
                    break;
                }
                indexes.push_back(index);
            }
            component.malformedList = component.malformedList || cursor.malformed;
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

std::string FormatFileTime(std::uint64_t time) {
    // FILETIME counts 100 ns from 1601; Unix time starts 11644473600 s later.
    const std::int64_t seconds = static_cast<std::int64_t>(time / 10000000) - 11644473600LL;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    if (seconds < 0 || gmtime_s(&parts, &t) != 0)
        return "-";
#else
    if (!gmtime_r(&t, &parts))
        return "-";
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}
