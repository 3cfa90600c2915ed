// setupkit list: one line per item of a setup executable's package.
#include <cstdio>
#include <map>

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
    std::map<std::uint32_t, std::string> listedBy;
    for (const ComponentView& component : ListComponents(package->setupTree.get())) {
        for (const auto& [disk, indexes] : component.disks) {
            for (std::uint32_t index : indexes) {
                std::string& names = listedBy[index];
                names += (names.empty() ? "" : ", ") + Cp932ToUtf8(component.path) +
                         (disk == "Disk1" ? "" : "@" + Cp932ToUtf8(disk));
            }
        }
    }
    const std::vector<ItemView> items = ListItems(package->fileTree.get());
    std::printf("%s: package at 0x%llX, %zu items, entry area %llu bytes\n",
                file.u8string().c_str(), static_cast<unsigned long long>(package->packageOffset),
                items.size(), static_cast<unsigned long long>(package->entryArea));
    std::printf("%6s  %-6s  %10s  %-19s  %-24s  %s\n", "index", "kind", sizes ? "size" : "packed",
                "written", "flags", "destination  [components]");
    for (const ItemView& item : items) {
        std::string packed = "-";
        std::string written = "-";
        std::uint64_t offset = 0;
        std::uint64_t times[3];
        if (item.IsFile() && item.ReadEntryOffset(&offset)) {
            std::uint64_t stored = 0;
            if (sizes) {
                const std::int64_t size =
                    decoder->Expand(package->file.get(), offset, areaEnd, scratch->stream());
                packed = size < 0 ? "damaged" : std::to_string(size);
            } else if (PackageOpenEntry(package->file.get(), offset, &stored, nullptr)) {
                packed = std::to_string(stored);
            }
            if (item.ReadTimes(times))
                written = FormatFileTime(times[2]);
        }
        std::string flags = DescribeItemFlags(item.flags, item.isKey);
        std::string line = Cp932ToUtf8(item.path);
        if (item.IsFile() && (item.flags & (ITEM_DESKTOP_SHORTCUT | ITEM_MENU_SHORTCUT)))
            line += "  -> " + Cp932ToUtf8(item.ShortcutStrings()[0]);
        std::printf("%6u  %-6s  %10s  %-19s  %-24s  %s  [%s]\n", item.index, KindOf(item),
                    packed.c_str(), written.c_str(), flags.empty() ? "-" : flags.c_str(),
                    line.c_str(), listedBy[item.index].c_str());
    }
    return 0;
}
