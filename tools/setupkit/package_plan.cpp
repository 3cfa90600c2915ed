#include "tools/setupkit/package_plan.h"

#include <cstdlib>
#include <map>
#include <set>
#include <unordered_map>

#include "base/little_endian.h"
#include "package/layout/file_index_list.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "setupinfo/folder_macro_codes.h"
#include "tools/setupkit/cp932.h"
#include "tools/setupkit/entry_codec.h"
#include "tools/setupkit/sources.h"

namespace fs = std::filesystem;

namespace {

// Where each folder macro points on a typical Japanese Windows 10/11 installation, for the
// path-length check; a user name of 20 characters is assumed where one appears.
const char* TypicalFolder(std::uint16_t id) {
    switch (id) {
        case FolderMacro::DT:
        case FolderMacro::CW:
            return "C:\\Users\\Public\\Desktop";
        case FolderMacro::FN:
            return "C:\\Windows\\Fonts";
        case FolderMacro::PS:
            return "C:\\Users\\abcdefghijklmnopqrst\\Documents";
        case FolderMacro::PM:
            return "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
        case FolderMacro::ID:
        case FolderMacro::WD:
            return "C:";
        case FolderMacro::WF:
            return "C:\\Windows";
        case FolderMacro::SF:
            return "C:\\Windows\\SysWOW64";
        case FolderMacro::NW:
            return "C:\\Users\\abcdefghijklmnopqrst\\Downloads";
        case FolderMacro::PF:
        case FolderMacro::RV:
        case FolderMacro::X86:
            return "C:\\Program Files (x86)";
        case FolderMacro::X64:
            return "C:\\Program Files";
        case FolderMacro::PD:
            return "C:\\ProgramData";
        case FolderMacro::CM:
            return "C:\\Users\\Public\\Music";
        case FolderMacro::CP:
            return "C:\\Users\\Public\\Pictures";
        case FolderMacro::CV:
            return "C:\\Users\\Public\\Videos";
        case FolderMacro::CD:
            return "C:\\Users\\Public\\Documents";
        case FolderMacro::SX:
            return "C:\\Windows\\System32";
        default:
            return "";
    }
}

constexpr std::size_t kPathLimit = 259;

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

enum class ItemKind { kPathKey, kFolder, kFile, kRegistryKey, kRegistryValue };

struct PlanItem {
    ItemKind kind = ItemKind::kPathKey;
    bool implicit = false;          // a folder made only because items lie below it
    std::vector<std::string> path;  // CP932: macro, names
    std::string utf8;               // "IF\dir\name"
    std::uint8_t flags = 0;
    SourcePos pos;
    // Files:
    SourceFile source;
    std::string shortcutName, shortcutDescription, shortcutArguments;
    // Registry keys with the default-value check:
    std::uint8_t checkMode = 0;
    std::string checkText;
    ClTreeNode* node = nullptr;
};

std::string KeyOf(const std::vector<std::string>& path) {
    std::string key;
    for (const std::string& part : path) {
        key += FoldCp932Case(part);
        key += '\0';
    }
    return key;
}

FILETIME FileTimeOf(std::uint64_t time) {
    return FILETIME{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
}

// The item's record with index 0 (indexes follow once the tree is complete); empty for a key
// that only leads to other items.
std::vector<std::uint8_t> RecordOf(const PlanItem& item) {
    SFileRecord record;
    record.flags = item.flags;
    switch (item.kind) {
        case ItemKind::kPathKey:
            return {};
        case ItemKind::kFolder:
            record.kind = RECORD_FOLDER;
            break;
        case ItemKind::kFile:
            record.kind = RECORD_FILE;
            record.creationTime = record.accessTime = record.writeTime =
                FileTimeOf(item.source.writeTime);
            record.shortcutName = item.shortcutName.c_str();
            record.shortcutDescription = item.shortcutDescription.c_str();
            record.shortcutArguments = item.shortcutArguments.c_str();
            break;
        case ItemKind::kRegistryKey:
            record.kind = RECORD_REGISTRY_KEY;
            record.checkMode = item.checkMode;
            record.checkText = item.checkText.c_str();
            break;
        case ItemKind::kRegistryValue:
            record.kind = RECORD_REGISTRY_VALUE;
            break;
    }
    std::vector<std::uint8_t> data(FileRecordSize(&record));
    FileRecordWrite(&record, data.data());
    return data;
}

struct Listing {
    std::string disk;
    std::string key;
};

class Planner {
  public:
    Planner(const Manifest& manifest, Diagnostics& diag) : manifest_(manifest), diag_(diag) {}

    std::unique_ptr<PackagePlan> Run() {
        for (const ComponentSpec& component : manifest_.components)
            CollectComponent(component);
        CheckFixedPaths();
        CheckCounts();
        if (diag_.HasErrors())  // from the manifest or from here
            return nullptr;
        auto plan = std::make_unique<PackagePlan>();
        plan->fileTree = MakeTree();
        plan->setupTree = MakeTree();
        BuildFileTree(*plan);
        for (const ComponentSpec& component : manifest_.components)
            AddComponent(*plan, component, nullptr);
        FillSetupInfo(manifest_, &plan->info);
        AddProgramsToRun(*plan);
        return plan;
    }

  private:
    void CollectComponent(const ComponentSpec& component) {
        for (const FileSpec& file : component.files)
            CollectFile(component, file);
        for (const FolderSpec& folder : component.folders) {
            PlanItem item;
            item.kind = ItemKind::kFolder;
            item.flags = folder.flags;
            item.pos = folder.pos;
            SetPath(item, folder.dest, {});
            Add(component, folder.disk, std::move(item));
        }
        for (const RegistrySpec& registry : component.registry) {
            PlanItem item;
            item.kind = registry.value ? ItemKind::kRegistryValue : ItemKind::kRegistryKey;
            item.flags = registry.flags;
            item.pos = registry.pos;
            item.checkMode = registry.checkMode;
            item.checkText = registry.checkText.cp932;
            SetPath(item, registry.key, {});
            if (registry.value) {
                item.path.push_back(registry.value->cp932);
                item.utf8 += "\\" + registry.value->utf8;
            }
            Add(component, registry.disk, std::move(item));
        }
        for (const ComponentSpec& child : component.children)
            CollectComponent(child);
    }

    static void SetPath(PlanItem& item, const Destination& dest,
                        const std::vector<ManifestText>& more) {
        item.path = {dest.macro};
        item.utf8 = dest.macro;
        for (const auto* list : {&dest.components, &more}) {
            for (const ManifestText& name : *list) {
                item.path.push_back(name.cp932);
                item.utf8 += "\\" + name.utf8;
            }
        }
    }

    // A name found in the file system, checked like a manifest name.
    bool SourceName(const std::string& utf8, SourcePos pos, std::vector<ManifestText>& out) {
        const std::string problem = WindowsNameProblem(utf8);
        if (!problem.empty()) {
            diag_.Error(pos, "the source file name has " + problem);
            return false;
        }
        Cp932Result converted = Utf8ToCp932(utf8);
        if (!converted.ok) {
            diag_.Error(pos, "the source name " + Quote(utf8) + " holds the character " +
                                 DescribeCharacter(converted.offender) +
                                 ", which code page 932 (Shift-JIS) cannot hold");
            return false;
        }
        out.push_back(ManifestText{converted.text, utf8, pos});
        return true;
    }

    void CollectFile(const ComponentSpec& component, const FileSpec& file) {
        std::vector<SourceFile> sources;
        try {
            sources = ExpandSource(manifest_.baseDir, file.source);
        } catch (const ToolError& error) {
            diag_.Error(file.sourcePos, error.what());
            return;
        }
        if (sources.empty()) {
            const bool wildcard = file.source.find_first_of("*?") != std::string::npos;
            diag_.Error(file.sourcePos, wildcard ? "no file matches " + Quote(file.source)
                                                 : "source file not found: " + Quote(file.source));
            return;
        }
        if (sources.size() > 1 && (file.shortcut || (file.flags & ITEM_DISPLAY_ICON) || file.name))
            diag_.Error(file.sourcePos,
                        Quote(file.source) + " gives " + std::to_string(sources.size()) +
                            " files, but a shortcut, display icon or new name needs exactly one");
        for (SourceFile& source : sources) {
            if (source.size > kLargestEntryInput)
                diag_.Error(file.sourcePos, Quote(source.path.u8string()) +
                                                " is 4 GiB or larger; a package entry cannot "
                                                "hold it");
            std::vector<ManifestText> names;
            bool ok = true;
            for (const std::string& folder : source.subfolders)
                ok = SourceName(folder, file.sourcePos, names) && ok;
            if (file.name)
                names.push_back(*file.name);
            else
                ok = SourceName(source.name, file.sourcePos, names) && ok;
            if (!ok)
                continue;
            PlanItem item;
            item.kind = ItemKind::kFile;
            item.flags = file.flags;
            item.pos = file.sourcePos;
            SetPath(item, file.dest, names);
            if (source.emptyFolder) {  // made like the folders that the files create
                item.kind = ItemKind::kFolder;
                item.flags = 0;
                item.implicit = true;
                Add(component, file.disk, std::move(item));
                continue;
            }
            if (file.shortcut) {
                if (file.shortcut->desktop)
                    item.flags |= ITEM_DESKTOP_SHORTCUT;
                if (file.shortcut->programMenu)
                    item.flags |= ITEM_MENU_SHORTCUT;
                item.shortcutName = file.shortcut->name.cp932;
                item.shortcutDescription = file.shortcut->description.cp932;
                item.shortcutArguments = file.shortcut->arguments.cp932;
                CheckShortcutLength(*file.shortcut);
            }
            item.source = std::move(source);
            const std::string key = KeyOf(item.path);
            if (file.runAfterInstall && runKeys_.insert(key).second)
                runOrder_.push_back(key);
            Add(component, file.disk, std::move(item));
        }
    }

    // Adds an item for a component on a disk; items that lie below a folder macro imply
    // folder items for every folder between the macro and them.
    void Add(const ComponentSpec& component, const std::string& diskAsGiven, PlanItem item) {
        // The setup program finds disks ignoring case: "disk1" and "Disk1" are one disk, and
        // a component must carry one list for it, under the first spelling given.
        const std::string& disk =
            diskNames_.emplace(FoldCp932Case(diskAsGiven), diskAsGiven).first->second;
        const bool registry =
            item.kind == ItemKind::kRegistryKey || item.kind == ItemKind::kRegistryValue;
        CheckLength(item);
        for (std::size_t depth = 1; depth < item.path.size(); ++depth) {
            PlanItem parent;
            parent.path.assign(item.path.begin(), item.path.begin() + depth);
            parent.kind = depth == 1 || registry ? ItemKind::kPathKey : ItemKind::kFolder;
            parent.implicit = true;
            parent.pos = item.pos;
            std::string key = KeyOf(parent.path);
            auto found = items_.find(key);
            if (found == items_.end()) {
                found = items_.emplace(key, std::move(parent)).first;
            } else if (found->second.kind == ItemKind::kFile ||
                       found->second.kind == ItemKind::kRegistryValue) {
                diag_.Error(item.pos, Quote(item.utf8) + " lies below " +
                                          Quote(found->second.utf8) + ", which is a file (line " +
                                          std::to_string(found->second.pos.line) + ")");
                return;
            }
            if (found->second.kind == ItemKind::kFolder)
                lists_[&component].push_back({disk, key});
        }
        const std::string key = KeyOf(item.path);
        auto [at, inserted] = items_.emplace(key, item);
        if (!inserted && !Merge(at->second, item))
            return;
        lists_[&component].push_back({disk, key});
    }

    // A second item at a known destination: folders and registry keys that are only on the
    // way to other items take the item's place; the same file from the same source is shared
    // by the components; anything else is a duplicate.
    bool Merge(PlanItem& existing, const PlanItem& item) {
        const bool pathOnly = existing.implicit && (existing.kind == ItemKind::kPathKey ||
                                                    existing.kind == ItemKind::kFolder);
        if (pathOnly && (item.kind == ItemKind::kFolder || item.kind == ItemKind::kRegistryKey)) {
            existing = item;
            return true;
        }
        if (existing.kind == item.kind && existing.flags == item.flags &&
            (item.kind != ItemKind::kFile || (existing.source.path == item.source.path &&
                                              existing.shortcutName == item.shortcutName)))
            return true;
        diag_.Error(item.pos, "duplicate destination " + Quote(item.utf8) +
                                  " (first given at line " + std::to_string(existing.pos.line) +
                                  ")");
        return false;
    }

    std::size_t TypicalLength(const std::string& macro) const {
        const std::uint16_t id = FolderMacroId(macro.c_str());
        if (id != FolderMacro::IF)
            return std::string(TypicalFolder(id)).size();
        const auto& path = manifest_.texts[TEXT_INSTALL_PATH];
        const std::uint16_t base = manifest_.installFolderMacro == FolderMacro::IF
                                       ? std::uint16_t{FolderMacro::PF}
                                       : std::uint16_t{manifest_.installFolderMacro};
        return std::string(TypicalFolder(base)).size() + (path ? path->cp932.size() : 0);
    }

    void CheckLength(const PlanItem& item) {
        if (item.kind == ItemKind::kRegistryKey || item.kind == ItemKind::kRegistryValue)
            return;
        std::size_t length = TypicalLength(item.path[0]);
        for (std::size_t i = 1; i < item.path.size(); ++i)
            length += 1 + item.path[i].size();
        if (length > kPathLimit)
            diag_.Error(item.pos, Quote(item.utf8) + " becomes a path of about " +
                                      std::to_string(length) +
                                      " bytes on a typical system; Windows allows 259");
    }

    void CheckShortcutLength(const ShortcutSpec& shortcut) {
        const auto& group = manifest_.texts[TEXT_PUBLISHER];
        const std::size_t groupLength = group ? group->cp932.size() + 1 : 0;
        const std::size_t name = 1 + shortcut.name.cp932.size();
        if ((shortcut.desktop && TypicalLength("DT") + name > kPathLimit) ||
            (shortcut.programMenu && TypicalLength("PM") + groupLength + name > kPathLimit))
            diag_.Error(shortcut.pos, "the shortcut " + Quote(shortcut.name.utf8) +
                                          " makes a path longer than 259 bytes");
    }

    void CheckFixedPaths() {
        for (const Destination& dest : manifest_.runPaths) {
            PlanItem program;
            program.pos = dest.pos;
            SetPath(program, dest, {});
            CheckLength(program);
        }
        const auto& dataFile = manifest_.texts[TEXT_DATA_FILE];
        if (dataFile && TypicalLength("IF") + 1 + dataFile->cp932.size() > kPathLimit)
            diag_.Error(dataFile->pos, "the uninstall data file's path is longer than 259 bytes");
        else if (TypicalLength("IF") > kPathLimit)
            diag_.Error(manifest_.installFolderPos, "the install folder is longer than 259 bytes");
        if (dataFile) {
            const std::string problem = WindowsNameProblem(dataFile->utf8);
            if (!problem.empty())
                diag_.Error(dataFile->pos, "'data_file' has " + problem);
        }
    }

    // Limits of the formats: the setup information counts its programs to run in 16 bits, and
    // the setup program refuses a disk of 0xFFFFFF or more file slots.
    void CheckCounts() {
        const std::size_t programs = runOrder_.size() + manifest_.runPaths.size();
        if (programs > 0xFFFF)
            diag_.Error(SourcePos{},
                        std::to_string(programs) + " programs to run after install; at most 65535");
        if (items_.size() >= 0xFFFFFE)
            diag_.Error(SourcePos{}, std::to_string(items_.size()) +
                                         " items; the setup program takes fewer than 16777214");
    }

    void BuildFileTree(PackagePlan& plan) {
        std::map<std::string, ClTreeNode*> nodes;
        for (auto& [key, item] : items_) {
            std::vector<std::uint8_t> record = RecordOf(item);
            ClTreeNodeInfo info{};
            info.flags = TN_NAMED;
            if (item.kind != ItemKind::kFile && item.kind != ItemKind::kRegistryValue)
                info.flags |= TN_KEY;
            if (!record.empty()) {
                info.flags |= TN_DATA;
                info.data = record.data();
                info.length = static_cast<std::uint32_t>(record.size());
            }
            info.name = item.path.back().c_str();
            if (item.path.size() > 1) {
                info.flags |= TN_LINKED;
                info.parent = nodes.at(KeyOf({item.path.begin(), item.path.end() - 1}));
            }
            item.node = ClTreeAddNode(plan.fileTree.get(), &info);
            if (!item.node)
                throw ToolError("out of memory while building the file tree");
            nodes[key] = item.node;
            nodeItems_[item.node] = &item;
        }
        // File indexes follow the walk order, from 1, so that a folder precedes its content.
        std::uint32_t index = 1;
        std::int32_t depth = 0;
        for (ClTreeNode* node = ClTreeRoot(plan.fileTree.get()); node;
             node = ClTreeNavigate(node, TN_WALK, &depth)) {
            ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
            if (!(info->flags & TN_DATA))
                continue;
            FileRecordSetIndex(info->data, info->length, index);
            indexes_[node] = index++;
            const PlanItem& item = *nodeItems_.at(node);
            if (item.kind == ItemKind::kFile) {
                plan.files.push_back({node, item.source.path, item.source.size, item.utf8});
                plan.bytesIn += item.source.size;
            }
        }
    }

    std::uint32_t CountDescendants(const ComponentSpec& component) {
        std::uint32_t count = 0;
        for (const ComponentSpec& child : component.children)
            count += 1 + CountDescendants(child);
        return count;
    }

    void AddComponent(PackagePlan& plan, const ComponentSpec& component, ClTreeNode* parent) {
        std::vector<std::uint8_t> data(kComponentDescription, 0);
        data[0] = static_cast<std::uint8_t>((component.custom ? COMPONENT_CUSTOM : 0) |
                                            (component.standard ? COMPONENT_STANDARD : 0));
        // The check tree adds one for every checked item below a group and one more for every
        // sub-group that becomes complete: all descendants count.
        StoreLe32(&data[kComponentSubItems], CountDescendants(component));
        data.insert(data.end(), component.description.cp932.begin(),
                    component.description.cp932.end());
        data.push_back(0);
        ClTreeNodeInfo info{};
        info.flags = TN_KEY | TN_NAMED | TN_DATA | (parent ? TN_LINKED : 0);
        info.parent = parent;
        info.name = component.name.cp932.c_str();
        info.data = data.data();
        info.length = static_cast<std::uint32_t>(data.size());
        ClTreeNode* node = ClTreeAddNode(plan.setupTree.get(), &info);
        if (!node)
            throw ToolError("out of memory while building the component tree");
        std::map<std::string, std::set<std::uint32_t>> disks;
        for (const Listing& listing : lists_[&component]) {
            ClTreeNode* item = items_.at(listing.key).node;
            disks[listing.disk].insert(indexes_.at(item));
        }
        for (const auto& [disk, set] : disks) {
            const std::vector<std::uint32_t> indexes(set.begin(), set.end());
            const auto count = static_cast<std::uint32_t>(indexes.size());
            std::vector<std::uint8_t> list(FileIndexListWrite(indexes.data(), count, nullptr));
            FileIndexListWrite(indexes.data(), count, list.data());
            ClTreeNodeInfo value{};
            value.flags = TN_NAMED | TN_DATA | TN_LINKED;
            value.parent = node;
            value.name = disk.c_str();
            value.data = list.data();
            value.length = static_cast<std::uint32_t>(list.size());
            if (!ClTreeAddNode(plan.setupTree.get(), &value))
                throw ToolError("out of memory while building the component tree");
        }
        for (const ComponentSpec& child : component.children)
            AddComponent(plan, child, node);
    }

    // The package's programs in manifest order, then those it does not bring; the setup
    // program matches its installed files against these stored paths ignoring case.
    void AddProgramsToRun(PackagePlan& plan) {
        std::vector<std::string> paths;
        std::set<std::string> seen;
        for (const std::string& key : runOrder_) {
            const ClTreeNode* node = items_.at(key).node;
            std::string path(ClTreeGetPath(node, nullptr, "\\"), '\0');
            ClTreeGetPath(node, path.data(), "\\");
            path.pop_back();
            seen.insert(FoldCp932Case(path));
            paths.push_back(path);
        }
        for (const Destination& dest : manifest_.runPaths) {
            std::string path = dest.macro;
            for (const ManifestText& name : dest.components)
                path += "\\" + name.cp932;
            if (seen.insert(FoldCp932Case(path)).second)
                paths.push_back(path);
        }
        if (paths.empty())
            return;
        SSetupInfo& info = plan.info;
        // The record owns its list in malloc'ed blocks, as SetupInfoFree expects.
        info.list = static_cast<char**>(std::calloc(paths.size(), sizeof(char*)));
        if (!info.list)
            throw ToolError("out of memory while filling the setup information");
        info.listCount = static_cast<std::uint16_t>(paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            info.list[i] = static_cast<char*>(std::malloc(paths[i].size() + 1));
            if (!info.list[i])
                throw ToolError("out of memory while filling the setup information");
            std::copy(paths[i].c_str(), paths[i].c_str() + paths[i].size() + 1, info.list[i]);
        }
    }

    const Manifest& manifest_;
    Diagnostics& diag_;
    std::map<std::string, PlanItem> items_;  // by folded path: parents sort before children
    std::map<const ComponentSpec*, std::vector<Listing>> lists_;
    std::unordered_map<ClTreeNode*, PlanItem*> nodeItems_;
    std::unordered_map<ClTreeNode*, std::uint32_t> indexes_;
    std::map<std::string, std::string> diskNames_;  // folded -> first spelling
    std::set<std::string> runKeys_;
    std::vector<std::string> runOrder_;
};

}  // namespace

ClTreeOwner MakeTree() {
    ClTreeOwner tree(ClTreeCreate());
    if (!tree)
        throw ToolError("out of memory while making a tree");
    return tree;
}

std::unique_ptr<PackagePlan> PlanPackage(const Manifest& manifest, Diagnostics& diagnostics) {
    return Planner(manifest, diagnostics).Run();
}

void FillSetupInfo(const Manifest& manifest, SSetupInfo* info) {
    info->pageBits = manifest.pageBits;
    info->optionBits = manifest.optionBits;
    info->installFolderMacro = manifest.installFolderMacro;
    info->registryRootMacro = manifest.registryRootMacro;
    info->extraNumber = manifest.extraNumber;
    for (int number = 0; number < kSetupInfoTextCount; ++number) {
        const auto& text = manifest.texts[number];
        if (!SetupInfoSetText(info, number, text ? text->cp932.c_str() : ""))
            throw ToolError("out of memory while filling the setup information");
    }
}
