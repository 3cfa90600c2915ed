// setupkit extract: the files (and folders) of a package below a folder, one sub-folder per
// folder macro, with their recorded times. Names come from the package, so each one is
// checked before it becomes part of a path: nothing may land outside the target folder.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

#include "base/file_stream.h"
#include "tools/setupkit/commands.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/entry_codec.h"
#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/host.h"
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

bool Exists(const fs::path& path) {
    std::error_code error;
    return IsLink(path) || fs::exists(fs::symlink_status(path, error));
}

// Checks, before anything is written, that the targets can be written without harm: every
// folder on the way below dir is a real folder (a symbolic link there would take the files
// elsewhere), and no file would be replaced unless the user asked for it. A replaced file that
// is a symbolic link is replaced itself, not what it leads to.
void CheckTargets(const fs::path& dir,
                  const std::vector<std::pair<const ItemView*, fs::path>>& targets,
                  bool overwrite) {
    std::set<fs::path> checked;
    for (const auto& [item, path] : targets) {
        const fs::path relative = path.lexically_relative(dir);
        fs::path folder = dir;
        for (auto name = relative.begin(); name != relative.end(); ++name) {
            folder /= *name;
            const bool file = std::next(name) == relative.end() && !item->isKey;
            if (!file && !checked.insert(folder).second)
                continue;
            std::error_code error;
            const bool link = IsLink(folder);
            const bool isFolder = !link && fs::is_directory(folder, error);
            if (!file && link)
                throw ToolError("refusing to extract: " + folder.u8string() +
                                " is a symbolic link, and extract never writes through one");
            if (!file && Exists(folder) && !isFolder)
                throw ToolError("refusing to extract: " + folder.u8string() +
                                " is in the way of a folder");
            if (file && isFolder)
                throw ToolError("refusing to extract: " + folder.u8string() +
                                " is a folder in the way of a file");
            if (file && !overwrite && Exists(folder))
                throw ToolError("refusing to extract: " + folder.u8string() +
                                " exists already; give --force to replace the files there");
        }
    }
}

// Writes one file item: a new file (with overwrite, an old one or a symbolic link in its place
// is removed first, never written through), its decoded entry, its times.
void ExtractFile(const OpenedPackage& package, const ItemView& item, const fs::path& path,
                 bool overwrite, EntryDecoder& decoder) {
    const SFileRecord& record = item.record;
    if (!item.complete)
        throw ToolError(Cp932ToUtf8(item.path) + ": the file record is cut short");
    std::error_code error;
    if (overwrite)
        fs::remove(path, error);
    ClFileHandle out = CreateNewFile(path);
    if (!out.ok())
        throw ToolError("refusing to extract: " + path.u8string() + " exists already");
    SFileStream* stream = FileStreamAttach(out.get(), 0);
    if (!stream)
        throw ToolError("out of memory");
    const std::uint64_t areaEnd = package.packageOffset + 8 + package.entryArea;
    const std::int64_t size =
        decoder.Expand(package.file.get(), record.entryOffset, areaEnd, stream);
    const DWORD failure = GetLastError();
    FileStreamClose(stream);
    if (size >= 0) {
        SetFileTime(out.get(), &record.creationTime, &record.accessTime, &record.writeTime);
        return;
    }
    out.Close();
    fs::remove(path, error);
    if (size == kEntryReadOrWriteFailed)
        throw ToolError("writing failed while extracting to " + path.u8string() + " (" +
                        SystemErrorText(failure) + "); the package is not at fault");
    throw ToolError(Cp932ToUtf8(item.path) + ": the entry does not decode");
}

}  // namespace

int CommandExtract(const fs::path& file, const fs::path& dir, const std::string& component,
                   bool overwrite) {
    std::unique_ptr<OpenedPackage> package = OpenPackage(file);
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
    CheckTargets(dir, targets, overwrite);

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
        ExtractFile(*package, *item, path, overwrite, decoder);
        ++files;
    }
    std::printf("%zu files extracted to %s\n", files, dir.u8string().c_str());
    return 0;
}
