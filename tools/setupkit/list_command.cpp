// setupkit list: one line per item of a setup executable's package.
#include <cstdio>

#include "package/layout/package_layout.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/entry_codec.h"
#include "tools/setupkit/package_items.h"
#include "tools/setupkit/package_reader.h"
#include "tools/setupkit/scratch_file.h"

namespace fs = std::filesystem;

namespace {

const char* KindOf(const ItemView& item) {
    if (item.IsRegistry())
        return item.isKey ? "regkey" : "regval";
    return item.isKey ? "folder" : "file";
}

// The components that list the item, with the disk when it is not the usual one.
std::string ListedBy(const std::vector<ComponentView>& components, const ItemView& item) {
    std::string names;
    if (!item.hasIndex)
        return names;
    for (const ComponentView& component : components) {
        for (const auto& [disk, ranges] : component.disks) {
            if (RangesHold(ranges, item.record.index))
                names += (names.empty() ? "" : ", ") + Cp932ToUtf8(component.path) +
                         (disk == "Disk1" ? "" : "@" + Cp932ToUtf8(disk));
        }
    }
    return names;
}

}  // namespace

int CommandList(const fs::path& file, bool sizes) {
    std::unique_ptr<OpenedPackage> package = OpenPackage(file);
    // Entries record no decoded length: the installed size is known only by decoding.
    std::unique_ptr<EntryDecoder> decoder;
    std::unique_ptr<ScratchFile> scratch;
    if (sizes) {
        decoder = std::make_unique<EntryDecoder>();
        scratch = std::make_unique<ScratchFile>();
    }
    const std::uint64_t areaEnd = package->packageOffset + 8 + package->entryArea;
    const std::vector<ComponentView> components = ListComponents(package->setupTree.get());
    const std::vector<ItemView> items = ListItems(package->fileTree.get());
    std::printf("%s: package at 0x%llX, %zu items, entry area %llu bytes\n",
                file.u8string().c_str(), static_cast<unsigned long long>(package->packageOffset),
                items.size(), static_cast<unsigned long long>(package->entryArea));
    std::printf("%6s  %-6s  %10s  %-19s  %-24s  %s\n", "index", "kind", sizes ? "size" : "packed",
                "written", "flags", "destination  [components]");
    for (const ItemView& item : items) {
        std::string packed = "-";
        std::string written = "-";
        const SFileRecord& record = item.record;
        if (item.IsFile() && item.complete) {
            std::uint64_t stored = 0;
            if (sizes) {
                const std::int64_t size = decoder->Expand(package->file.get(), record.entryOffset,
                                                          areaEnd, scratch->stream());
                packed = size < 0 ? "damaged" : std::to_string(size);
            } else if (PackageOpenEntry(package->file.get(), record.entryOffset, &stored,
                                        nullptr)) {
                packed = std::to_string(stored);
            }
            written = FormatFileTime(record.writeTime);
        }
        std::string flags = DescribeItemFlags(record.flags, item.isKey);
        std::string line = Cp932ToUtf8(item.path);
        if (item.IsFile() && item.complete &&
            (record.flags & (ITEM_DESKTOP_SHORTCUT | ITEM_MENU_SHORTCUT)))
            line += "  -> " + Cp932ToUtf8(record.shortcutName);
        std::printf("%6u  %-6s  %10s  %-19s  %-24s  %s  [%s]\n", record.index, KindOf(item),
                    packed.c_str(), written.c_str(), flags.empty() ? "-" : flags.c_str(),
                    line.c_str(), ListedBy(components, item).c_str());
    }
    return 0;
}
