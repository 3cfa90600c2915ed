// setupkit dump: everything a setup executable's package or an uninstall data file holds, as
// text or JSON, texts in UTF-8 and bits by name.
#include <iostream>

#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "setupinfo/folder_macro_codes.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/dump_value.h"
#include "tools/setupkit/manifest.h"
#include "tools/setupkit/package_items.h"
#include "tools/setupkit/package_reader.h"

namespace fs = std::filesystem;

namespace {

DumpValue Text(const char* cp932) {
    return DumpValue::String(Cp932ToUtf8(cp932 ? cp932 : ""));
}

DumpValue BitNames(std::uint32_t bits, const char* (*name)(int)) {
    DumpValue list = DumpValue::Array();
    for (int bit = 0; bit < 32; ++bit) {
        if (!(bits >> bit & 1))
            continue;
        const char* known = name(bit);
        list.Push(known ? DumpValue::String(known) : DumpValue::Number(static_cast<unsigned>(bit)));
    }
    return list;
}

DumpValue SetupInfoDump(const SSetupInfo& info) {
    DumpValue out = DumpValue::Object();
    out.Add("pages", BitNames(info.pageBits, PageBitName));
    out.Add("options", BitNames(info.optionBits, OptionBitName));
    out.Add("install_folder_macro", DumpValue::String(FolderMacroCode(info.installFolderMacro)));
    out.Add("registry_root", DumpValue::String(FolderMacroCode(info.registryRootMacro)));
    out.Add("extra_number", DumpValue::Number(info.extraNumber));
    DumpValue& texts = out.Add("texts", DumpValue::Object());
    for (int number = 0; number < kSetupInfoTextCount; ++number)
        texts.Add(TextRoleName(number), Text(info.texts[number]));
    DumpValue& list = out.Add("run_after_install", DumpValue::Array());
    for (std::uint16_t i = 0; i < info.listCount; ++i)
        list.Push(Text(info.list[i]));
    return out;
}

DumpValue ComponentsDump(ClTree* setupTree) {
    DumpValue out = DumpValue::Array();
    for (const ComponentView& component : ListComponents(setupTree)) {
        DumpValue& entry = out.Push(DumpValue::Object());
        entry.Add("path", Text(component.path.c_str()));
        entry.Add("description", Text(component.description.c_str()));
        entry.Add("standard", DumpValue::Bool(component.selection & COMPONENT_STANDARD));
        entry.Add("custom", DumpValue::Bool(component.selection & COMPONENT_CUSTOM));
        entry.Add("sub_items", DumpValue::Number(component.subItems));
        DumpValue& disks = entry.Add("disks", DumpValue::Object());
        for (const auto& [disk, ranges] : component.disks) {
            DumpValue& list = disks.Add(Cp932ToUtf8(disk), DumpValue::Array());
            for (const SFileIndexRange& range : ranges)
                list.Push(range.first == range.last
                              ? DumpValue::Number(range.first)
                              : DumpValue::String(std::to_string(range.first) + "-" +
                                                  std::to_string(range.last)));
        }
        if (component.malformedList)
            entry.Add("malformed_list", DumpValue::Bool(true));
    }
    return out;
}

DumpValue ItemDump(const ItemView& item) {
    DumpValue entry = DumpValue::Object();
    entry.Add("path", Text(item.path.c_str()));
    entry.Add("kind", DumpValue::String(item.isKey ? "key" : "value"));
    const SFileRecord& record = item.record;
    entry.Add("flags", DumpValue::String(DescribeItemFlags(record.flags, item.isKey)));
    if (item.hasIndex && record.index != kNoFileIndex)
        entry.Add("index", DumpValue::Number(record.index));
    if (item.IsFile() && item.complete) {
        entry.Add("written", DumpValue::String(FormatFileTime(record.writeTime)));
        entry.Add("entry_offset", DumpValue::Number(record.entryOffset));
        if (*record.shortcutName) {
            DumpValue& link = entry.Add("shortcut", DumpValue::Object());
            link.Add("name", Text(record.shortcutName));
            link.Add("description", Text(record.shortcutDescription));
            link.Add("arguments", Text(record.shortcutArguments));
        }
    }
    if (record.kind == RECORD_REGISTRY_KEY && item.complete && record.checkText) {
        static const char* const modes[] = {"exact", "nocase", "parent_exact", "parent_nocase"};
        const std::uint8_t mode = record.checkMode;
        DumpValue& check = entry.Add("check", DumpValue::Object());
        check.Add("mode", mode < 4 ? DumpValue::String(modes[mode]) : DumpValue::Number(mode));
        check.Add("text", Text(record.checkText));
    }
    return entry;
}

void Print(const DumpValue& document, bool json) {
    if (json)
        document.WriteJson(std::cout);
    else
        document.WriteText(std::cout);
}

}  // namespace

int CommandDump(const fs::path& file, bool json) {
    DumpValue document = DumpValue::Object();
    if (IsExecutable(file)) {
        std::unique_ptr<OpenedPackage> package = OpenPackage(file);
        document.Add("kind", DumpValue::String("setup executable"));
        document.Add("package_offset", DumpValue::Number(package->packageOffset));
        document.Add("entry_area", DumpValue::Number(package->entryArea));
        document.Add("setup_information", SetupInfoDump(package->info));
        document.Add("components", ComponentsDump(package->setupTree.get()));
        DumpValue& items = document.Add("files", DumpValue::Array());
        for (const ItemView& item : ListItems(package->fileTree.get()))
            items.Push(ItemDump(item));
        Print(document, json);
        return 0;
    }
    std::unique_ptr<UninstallData> data = OpenUninstallData(file);
    document.Add("kind", DumpValue::String("uninstall data"));
    document.Add("components", ComponentsDump(data->setupTree.get()));
    document.Add("selection", DumpValue::String(data->selection == 2   ? "standard"
                                                : data->selection == 1 ? "custom"
                                                                       : "unknown"));
    DumpValue& log = document.Add("log", DumpValue::Array());
    for (const ItemView& item : ListItems(data->log.get())) {
        DumpValue entry = ItemDump(item);
        // The loader put a fresh counter slot behind the stored bytes; the count the install
        // saved is in the four bytes before it.
        if (item.length >= 8)
            entry.Add("count", DumpValue::Number(LoadLe32(item.data + item.length - 8)));
        log.Push(std::move(entry));
    }
    document.Add("setup_information", SetupInfoDump(data->info));
    Print(document, json);
    return 0;
}
