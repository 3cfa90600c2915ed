// setupkit verify: checks a setup executable's package the way an install would read it,
// and decodes every entry.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>

#include "package/layout/package_layout.h"
#include "setupinfo/folder_macro_codes.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/entry_codec.h"
#include "tools/setupkit/package_items.h"
#include "tools/setupkit/package_reader.h"
#include "tools/setupkit/scratch_file.h"

namespace fs = std::filesystem;

namespace {

class Problems {
  public:
    explicit Problems(std::string file) : file_(std::move(file)) {}
    void Add(const std::string& message) {
        std::cerr << file_ << ": " << message << "\n";
        ++count_;
    }
    int count() const { return count_; }

  private:
    std::string file_;
    int count_ = 0;
};

// The setup program sizes a disk's flag array as 1 + the largest index it lists and refuses
// 0xFFFFFF slots or more.
constexpr std::uint32_t kIndexLimit = 0xFFFFFE;

bool IsMacroCode(const std::string& code) {
    return code.size() == 2 && code == FolderMacroCode(FolderMacroId(code.c_str()));
}

void CheckItem(const ItemView& item, Problems& problems) {
    const std::string where = Cp932ToUtf8(item.path);
    if (!IsMacroCode(item.names[0]))
        problems.Add(where + ": the top-level key is no folder macro");
    if (!item.hasIndex) {
        problems.Add(where + ": the record is too short to hold a file index");
        return;
    }
    const bool underRegistryRoot = IsRegistryRootCode(item.names[0]);
    if (item.IsRegistry() != underRegistryRoot)
        problems.Add(where + (underRegistryRoot ? ": a registry root holds a non-registry item"
                                                : ": a registry item lies outside the registry "
                                                  "roots"));
    if (!item.complete)
        problems.Add(where + ": the record is cut short, or its texts lack their terminator");
}

// Listed indexes that no item carries are one problem however many there are: a damaged
// range may name millions. Work grows with the ranges and the items, never with a range's size.
void CheckListedIndexes(const std::vector<ComponentView>& components,
                        const std::vector<std::uint32_t>& itemIndexes, Problems& problems) {
    std::uint64_t missing = 0;
    std::string first;
    for (const ComponentView& component : components) {
        for (const auto& [disk, ranges] : component.disks) {
            for (const SFileIndexRange& range : ranges) {
                const auto low =
                    std::lower_bound(itemIndexes.begin(), itemIndexes.end(), range.first);
                const auto high = std::upper_bound(low, itemIndexes.end(), range.last);
                const std::uint64_t carried = static_cast<std::uint64_t>(high - low);
                const std::uint64_t listed = std::uint64_t{range.last} - range.first + 1;
                if (carried == listed)
                    continue;
                missing += listed - carried;
                if (first.empty()) {
                    std::uint32_t index = range.first;
                    for (auto at = low; at != high && *at == index; ++at)
                        ++index;
                    first = std::to_string(index) + ", listed by component " +
                            Cp932ToUtf8(component.path) + " on " + Cp932ToUtf8(disk);
                }
            }
            if (!ranges.empty() && ranges.back().last >= kIndexLimit)
                problems.Add("component " + Cp932ToUtf8(component.path) + " lists file index " +
                             std::to_string(ranges.back().last) + " on " + Cp932ToUtf8(disk) +
                             "; the setup program installs none above " +
                             std::to_string(kIndexLimit - 1));
        }
    }
    if (missing > 0)
        problems.Add("components list " + std::to_string(missing) +
                     " file index(es) that no item carries; the first is " + first);
}

}  // namespace

int CommandVerify(const fs::path& file) {
    std::unique_ptr<OpenedPackage> package = OpenPackage(file);
    Problems problems(file.u8string());
    const std::uint64_t areaStart = package->packageOffset + 8;
    const std::uint64_t areaEnd = areaStart + package->entryArea;
    if (package->directoryEnd != package->fileSize)
        problems.Add(std::to_string(package->fileSize - package->directoryEnd) +
                     " bytes trail the package directory");

    // The entry area must be exactly a chain of entries.
    std::set<std::uint64_t> entryStarts;
    for (std::uint64_t at = areaStart; at < areaEnd;) {
        std::uint64_t stored = 0;
        if (areaEnd - at < 8 || !PackageOpenEntry(package->file.get(), at, &stored, nullptr) ||
            stored == 0 || stored > areaEnd - at - 8) {
            problems.Add("the entry at " + HexOffset(at) + " does not fit the entry area (" +
                         HexOffset(areaStart) + "-" + HexOffset(areaEnd) + ")");
            break;
        }
        entryStarts.insert(at);
        at += 8 + stored;
    }

    for (const std::string& problem : FileNameProblems(package->fileTree.get()))
        problems.Add(problem);
    const std::vector<ItemView> items = ListItems(package->fileTree.get());
    std::map<std::uint32_t, const ItemView*> byIndex;
    std::map<std::uint64_t, const ItemView*> entries;  // entry offset -> first file using it
    for (const ItemView& item : items) {
        CheckItem(item, problems);
        if (!item.hasIndex)
            continue;
        if (!byIndex.emplace(item.record.index, &item).second)
            problems.Add(Cp932ToUtf8(item.path) + ": file index " +
                         std::to_string(item.record.index) + " is used twice");
        if (!item.IsFile() || !item.complete)
            continue;
        const std::uint64_t offset = item.record.entryOffset;
        if (!entryStarts.count(offset))
            problems.Add(Cp932ToUtf8(item.path) + ": its entry offset " + HexOffset(offset) +
                         " is not the start of an entry");
        else
            entries.emplace(offset, &item);
    }
    for (std::uint64_t start : entryStarts)
        if (!entries.count(start))
            problems.Add("the entry at " + HexOffset(start) + " belongs to no file");

    const std::vector<ComponentView> components = ListComponents(package->setupTree.get());
    for (const ComponentView& component : components) {
        const std::string name = Cp932ToUtf8(component.path);
        if (component.shortData)
            problems.Add("component " + name + ": its data is shorter than 12 bytes");
        if (component.malformedList)
            problems.Add("component " + name + ": a file-index list is malformed");
    }
    std::vector<std::uint32_t> itemIndexes;  // ascending, distinct
    for (const auto& [index, item] : byIndex)
        itemIndexes.push_back(index);
    CheckListedIndexes(components, itemIndexes, problems);
    EntryDecoder decoder;
    ScratchFile scratch;
    std::uint64_t decoded = 0;
    for (const auto& [offset, item] : entries) {
        const std::int64_t size =
            decoder.Expand(package->file.get(), offset, areaEnd, scratch.stream());
        if (size < 0)
            problems.Add(Cp932ToUtf8(item->path) + ": the entry at " + HexOffset(offset) +
                         " does not decode");
        else
            decoded += static_cast<std::uint64_t>(size);
    }

    if (problems.count()) {
        std::cerr << file.u8string() << ": " << problems.count() << " problem(s)\n";
        return 1;
    }
    std::printf("%s: OK: %zu items, %zu entries decoded to %llu bytes, %zu components\n",
                file.u8string().c_str(), items.size(), entries.size(),
                static_cast<unsigned long long>(decoded), components.size());
    return 0;
}
