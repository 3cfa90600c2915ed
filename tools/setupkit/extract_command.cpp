// setupkit extract: the files (and folders) of a package below a folder, one sub-folder per
// folder macro, with their recorded times. Names come from the package, so each one is
// checked before it becomes part of a path: nothing may land outside the target folder.
#include <algorithm>
#include <cstdio>

#include "base/file_stream.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/entry_codec.h"
#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/package_items.h"
#include "tools/setupkit/package_reader.h"

namespace fs = std::filesystem;

namespace {

// The path below dir for an item, or throws when a name could leave dir or cannot be a name.
fs::path SafePath(const fs::path& dir, const ItemView& item) {
    fs::path path = dir;
    for (const std::string& name : item.names) {
        const NameProblem problem = PathNameProblem(name.c_str());
        if (problem != NAME_SAFE)
            throw ToolError("refusing to extract " + Cp932ToUtf8(item.path) + ": " +
                            DescribeNameProblem(problem, name));
        path /= fs::u8path(Cp932ToUtf8(name));
    }
    return path;
}

// The file indexes of a component and of every component below it.
std::vector<IndexRanges> IndexesOf(const std::vector<ComponentView>& components,
                                   const std::string& wanted) {
    std::vector<IndexRanges> indexes;
    bool found = false;
    for (const ComponentView& component : components) {
        const std::string path = Cp932ToUtf8(component.path);
        const bool inside =
            path == wanted || path.compare(0, wanted.size() + 1, wanted + "\\") == 0;
        if (!inside)
            continue;
        found = true;
        for (const auto& [disk, ranges] : component.disks)
            indexes.push_back(ranges);
    }
    if (!found)
        throw ToolError("no component named " + wanted +
                        " (components are named by their path, "
                        "such as Main\\Help)");
    return indexes;
}

bool Wanted(const std::vector<IndexRanges>& wanted, const ItemView& item) {
    return item.hasIndex &&
           std::any_of(wanted.begin(), wanted.end(), [&](const IndexRanges& ranges) {
               return RangesHold(ranges, item.record.index);
           });
}

}  // namespace

int CommandExtract(const fs::path& file, const fs::path& dir, const std::string& component) {
    std::unique_ptr<OpenedPackage> package = OpenPackage(file);
    const std::uint64_t areaEnd = package->packageOffset + 8 + package->entryArea;
    std::vector<IndexRanges> wanted;
    if (!component.empty())
        wanted = IndexesOf(ListComponents(package->setupTree.get()), component);

    std::vector<ItemView> items = ListItems(package->fileTree.get());
    std::vector<std::pair<const ItemView*, fs::path>> targets;
    for (const ItemView& item : items) {
        if (item.IsRegistry() || (!component.empty() && !Wanted(wanted, item)))
            continue;
        targets.emplace_back(&item, SafePath(dir, item));  // every name checked before writing
    }

    EntryDecoder decoder;
    std::size_t files = 0;
    for (const auto& [item, path] : targets) {
        std::error_code error;
        fs::create_directories(item->isKey ? path : path.parent_path(), error);
        if (error)
            throw ToolError("cannot create the folder for " + path.u8string() + ": " +
                            error.message());
        if (item->isKey)
            continue;
        const SFileRecord& record = item->record;
        if (!item->complete)
            throw ToolError(Cp932ToUtf8(item->path) + ": the file record is cut short");
        SFileStream* out = FileStreamOpen(AnsiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!out)
            throw ToolError("cannot create " + path.u8string());
        const std::int64_t size =
            decoder.Expand(package->file.get(), record.entryOffset, areaEnd, out);
        if (size >= 0)
            SetFileTime(FileStreamHandle(out), &record.creationTime, &record.accessTime,
                        &record.writeTime);
        FileStreamClose(out);
        if (size < 0) {
            fs::remove(path, error);
            throw ToolError(Cp932ToUtf8(item->path) + ": the entry does not decode");
        }
        ++files;
    }
    std::printf("%zu files extracted to %s\n", files, dir.u8string().c_str());
    return 0;
}
