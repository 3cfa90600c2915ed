#include "tools/setupkit/manifest.h"

#include <toml++/toml.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "base/safe_name.h"
#include "package/layout/file_record.h"
#include "setupinfo/folder_macro_codes.h"
#include "tools/setupkit/cp932.h"

namespace {

struct BitName {
    int bit;
    const char* name;
};

constexpr BitName kPageNames[] = {
    {PAGE_WARNING, "warning"},
    {PAGE_LICENCE, "licence"},
    {PAGE_MODE, "mode"},
    {PAGE_ITEMS, "items"},
    {PAGE_START, "start"},
    {PAGE_PROGRESS, "progress"},
    {PAGE_FINISH, "finish"},
    {PAGE_DEST_FOLDER, "dest_folder"},
    {PAGE_DEST_GROUP, "dest_group"},
};

constexpr BitName kOptionNames[] = {
    {OPT_GROUP_LOCKED, "group_locked"},
    {OPT_RESTART_INSTALL, "restart_install"},
    {OPT_NO_RESTART_PROMPT, "no_restart_prompt"},
    {OPT_SINGLE_INSTANCE, "single_instance"},
    {OPT_NO_UNINSTALL, "no_uninstall"},
    {OPT_NO_DESKTOP_SHORTCUTS, "no_desktop_shortcuts"},
    {OPT_NO_AGREEMENT, "no_agreement"},
    {OPT_REINSTALL_NO_LICENCE, "reinstall_no_licence"},
    {OPT_RESTART_UNINSTALL, "restart_uninstall"},
    {OPT_KEEP_INSTALL_FOLDER_KEYS, "keep_install_folder_keys"},
    {OPT_UPDATE, "update"},
    {OPT_AUTO_INSTALL, "auto_install"},
    {OPT_AUTO_UNINSTALL, "auto_uninstall"},
};

constexpr const char* kTextRoles[kSetupInfoTextCount] = {
    "notice",
    "licence",
    "install_path",
    "publisher",
    "install_start",
    "uninstall_done",
    "simple_mode",
    "custom_mode",
    "short_name",
    "install_done",
    "restart_now",
    "restart_later",
    "install_title",
    "display_name",
    "uninstall_key",
    "uninstall_display_name",
    "uninstall_title",
    "uninstall_start",
    "folder_key",
    "folder_value",
    "folder_value_missing",
    "data_file",
};

// Texts a product gets unless its manifest says otherwise; %s is the display name.
struct DefaultText {
    int number;
    const char* text;
};
constexpr DefaultText kDefaultTexts[] = {
    {TEXT_INSTALL_START, "%s をインストールします。[次へ] をクリックすると開始します。"},
    {TEXT_UNINSTALL_DONE, "%s のアンインストールが完了しました。"},
    {TEXT_SIMPLE_MODE, "標準インストール"},
    {TEXT_CUSTOM_MODE, "カスタムインストール"},
    {TEXT_INSTALL_DONE, "%s のインストールが完了しました。"},
    {TEXT_RESTART_NOW, "今すぐコンピュータを再起動する"},
    {TEXT_RESTART_LATER, "後で手動で再起動する"},
    {TEXT_INSTALL_TITLE, "%s セットアップ"},
    {TEXT_UNINSTALL_TITLE, "%s アンインストール"},
    {TEXT_UNINSTALL_START, "%s をアンインストールします。[次へ] をクリックすると開始します。"},
    {TEXT_FOLDER_VALUE_MISSING, "インストール先のフォルダが見つかりません。"},
    {TEXT_DATA_FILE, "Uninstall.dat"},
};

constexpr const char* kCheckModes[] = {"exact", "nocase", "parent_exact", "parent_nocase"};

SourcePos PosOf(const toml::source_region& region) {
    return {static_cast<int>(region.begin.line), static_cast<int>(region.begin.column)};
}
SourcePos PosOf(const toml::node& node) {
    return PosOf(node.source());
}

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

// A text holds at most 65535 bytes in code page 932, and no UTF-8 character takes more than
// three times its bytes there (half-width katakana: 3 to 1); a longer file, BOM aside, cannot be
// valid. The CRs and final line ends that are dropped are not worth a larger bound.
constexpr std::size_t kLargestTextFile = 3 + 3 * 0xFFFF;

// Reads one table of the manifest: typed look-ups with positions, unknown keys reported.
class Reader {
  public:
    Reader(Diagnostics& diagnostics, Manifest& manifest)
        : diag_(diagnostics), manifest_(manifest) {}

    void CheckKeys(const toml::table& table, std::initializer_list<const char*> allowed,
                   const std::string& where) {
        for (auto&& [key, node] : table) {
            const bool known = std::any_of(allowed.begin(), allowed.end(),
                                           [&](const char* k) { return key.str() == k; });
            if (!known)
                diag_.Error(PosOf(key.source()),
                            "unknown key " + Quote(std::string(key.str())) + " in " + where);
        }
    }

    const toml::table* Table(const toml::table& parent, const char* key) {
        const toml::node* node = parent.get(key);
        if (!node)
            return nullptr;
        if (!node->is_table()) {
            diag_.Error(PosOf(*node), Quote(key) + " must be a table");
            return nullptr;
        }
        return node->as_table();
    }

    std::optional<std::string> String(const toml::table& table, const char* key) {
        const toml::node* node = table.get(key);
        if (!node)
            return std::nullopt;
        if (!node->is_string()) {
            diag_.Error(PosOf(*node), Quote(key) + " must be a string");
            return std::nullopt;
        }
        return node->as_string()->get();
    }

    bool Bool(const toml::table& table, const char* key, bool fallback) {
        const toml::node* node = table.get(key);
        if (!node)
            return fallback;
        if (!node->is_boolean()) {
            diag_.Error(PosOf(*node), Quote(key) + " must be true or false");
            return fallback;
        }
        return node->as_boolean()->get();
    }

    // A text as CP932; a string, or a table { file = "path" } naming a UTF-8 text file.
    std::optional<ManifestText> Text(const toml::table& table, const char* key) {
        const toml::node* node = table.get(key);
        if (!node)
            return std::nullopt;
        ManifestText text;
        text.pos = PosOf(*node);
        if (node->is_string()) {
            text.utf8 = node->as_string()->get();
        } else if (node->is_table()) {
            const toml::table& fileTable = *node->as_table();
            CheckKeys(fileTable, {"file"}, "a text read from a file");
            auto path = String(fileTable, "file");
            if (!path) {
                diag_.Error(text.pos, Quote(key) + " needs a string or { file = \"...\" }");
                return std::nullopt;
            }
            if (!NoNul(*path, "file", text.pos) || !ReadTextFile(*path, text))
                return std::nullopt;
        } else {
            diag_.Error(text.pos, Quote(key) + " must be a string or { file = \"...\" }");
            return std::nullopt;
        }
        if (!Convert(text, key))
            return std::nullopt;
        return text;
    }

    // A string converted to CP932, named for messages.
    bool Convert(ManifestText& text, const std::string& what) {
        Cp932Result result = Utf8ToCp932(text.utf8);
        if (!result.ok) {
            diag_.Error(text.pos, Quote(what) + ": the character " +
                                      DescribeCharacter(result.offender) +
                                      " cannot be written in code page 932 (Shift-JIS)");
            return false;
        }
        if (text.utf8.find('\0') != std::string::npos) {
            diag_.Error(text.pos, Quote(what) + " must not contain a NUL character");
            return false;
        }
        // The setup information stores each text behind a 16-bit length.
        if (result.text.size() > 0xFFFF) {
            diag_.Error(text.pos, Quote(what) + " is " + std::to_string(result.text.size()) +
                                      " bytes in code page 932; a text holds at most 65535");
            return false;
        }
        text.cp932 = std::move(result.text);
        return true;
    }

    // False, with an error, for a path or name holding a NUL: the file system would see only
    // the part before it.
    bool NoNul(const std::string& value, const std::string& what, SourcePos pos) {
        if (value.find('\0') == std::string::npos)
            return true;
        diag_.Error(pos, Quote(what) + " must not contain a NUL character");
        return false;
    }

    Diagnostics& diag() { return diag_; }

  private:
    // Reads a UTF-8 text file; a BOM is dropped and line ends become CR LF, as edit controls
    // of the wizard expect.
    bool ReadTextFile(const std::string& relative, ManifestText& text) {
        const std::filesystem::path path = manifest_.baseDir / std::filesystem::u8path(relative);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            diag_.Error(text.pos, std::filesystem::exists(path, error)
                                      ? "the text file " + Quote(relative) +
                                            " is not a file (a folder, device or FIFO)"
                                      : "cannot find the text file " + Quote(relative));
            return false;
        }
        std::ifstream in(path, std::ios::binary);
        std::string raw(kLargestTextFile + 1, '\0');
        in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
        if (in.bad() || !in.is_open()) {
            diag_.Error(text.pos, "cannot read the text file " + Quote(relative));
            return false;
        }
        raw.resize(static_cast<std::size_t>(in.gcount()));
        if (raw.size() > kLargestTextFile) {
            diag_.Error(text.pos, "the text file " + Quote(relative) +
                                      " is larger than a text can be (a text holds at most "
                                      "65535 bytes in code page 932)");
            return false;
        }
        manifest_.textFiles.push_back(path);
        if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0)
            raw.erase(0, 3);
        text.utf8.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\r')
                continue;
            if (raw[i] == '\n')
                text.utf8 += '\r';
            text.utf8 += raw[i];
        }
        while (text.utf8.size() >= 2 && text.utf8.compare(text.utf8.size() - 2, 2, "\r\n") == 0)
            text.utf8.erase(text.utf8.size() - 2);
        return true;
    }

    Diagnostics& diag_;
    Manifest& manifest_;
};

bool IsRegistryRoot(std::uint16_t id) {
    return id >= FolderMacro::CR && id <= FolderMacro::CC;
}

}  // namespace

std::string WindowsNameProblem(const std::string& name) {
    if (name.empty())
        return "an empty name";
    if (name == "." || name == "..")
        return "the name " + Quote(name) + " would leave its folder";
    for (unsigned char c : name) {
        if (c < 0x20)
            return "a control character in " + Quote(name);
        if (std::string("<>:\"|?*/\\").find(static_cast<char>(c)) != std::string::npos)
            return "the character " + Quote(std::string(1, static_cast<char>(c))) + " in " +
                   Quote(name);
    }
    if (name.back() == '.' || name.back() == ' ')
        return "a name ending in a dot or space: " + Quote(name);
    if (IsDeviceName(name.c_str()))
        return "the reserved device name " + Quote(name);
    return {};
}

namespace {

struct ParseState {
    Reader& reader;
    Manifest& manifest;
    bool hasMenuShortcut = false;
    SourcePos menuShortcutPos;
    SourcePos desktopShortcutPos;
    bool hasDesktopShortcut = false;
    int displayIcons = 0;
};

// "IF\sub\dir" or "IF/sub/dir": a macro code and names below it.
std::optional<Destination> ParseDestination(Reader& reader, const std::string& text, SourcePos pos,
                                            bool registry, const std::string& what) {
    Diagnostics& diag = reader.diag();
    Destination dest;
    dest.pos = pos;
    if (text.size() < 2 || (text.size() > 2 && text[2] != '\\' && (registry || text[2] != '/'))) {
        diag.Error(pos, Quote(what) +
                            " must begin with a two-letter folder macro such as "
                            "'IF' or '64', then '\\' and the path: " +
                            Quote(text));
        return std::nullopt;
    }
    dest.macro = text.substr(0, 2);
    const std::uint16_t id = FolderMacroId(dest.macro.c_str());
    const bool known = std::string(FolderMacroCode(id)) == dest.macro;
    if (!known) {
        diag.Error(pos, "unknown folder macro " + Quote(dest.macro) + " in " + Quote(what));
        return std::nullopt;
    }
    if (registry && !IsRegistryRoot(id)) {
        diag.Error(pos, Quote(what) +
                            " must begin with a registry root (CR, CU, LM, US, CC), "
                            "not " +
                            Quote(dest.macro));
        return std::nullopt;
    }
    if (!registry && (IsRegistryRoot(id) || id == FolderMacro::NN || id == FolderMacro::OT)) {
        diag.Error(pos, "the macro " + Quote(dest.macro) + " cannot be a destination folder in " +
                            Quote(what));
        return std::nullopt;
    }
    std::size_t at = 3;
    bool ok = true;
    while (at < text.size()) {
        // Registry key names may hold "/" (text/plain); only folders take it as a separator.
        std::size_t end = text.find_first_of(registry ? "\\" : "\\/", at);
        if (end == std::string::npos)
            end = text.size();
        ManifestText component;
        component.utf8 = text.substr(at, end - at);
        component.pos = pos;
        const std::string problem = registry ? (component.utf8.empty() ? "an empty key name" : "")
                                             : WindowsNameProblem(component.utf8);
        if (!problem.empty()) {
            diag.Error(pos, Quote(what) + " has " + problem);
            ok = false;
        } else if (reader.Convert(component, what)) {
            dest.components.push_back(component);
        } else {
            ok = false;
        }
        at = end + 1;  // a trailing separator adds nothing: the loop ends there
    }
    if (!ok)
        return std::nullopt;
    return dest;
}

std::uint8_t RemovalFlags(Reader& reader, const toml::table& table) {
    std::uint8_t flags = 0;
    if (reader.Bool(table, "never_remove", false))
        flags |= ITEM_NEVER_REMOVE;
    if (reader.Bool(table, "uninstall_only", false))
        flags |= ITEM_UNINSTALL_ONLY;
    return flags;
}

std::string Disk(Reader& reader, const toml::table& table, const std::string& fallback) {
    auto disk = reader.String(table, "disk");
    if (!disk)
        return fallback;
    if (disk->empty() || disk->find_first_of("\\/") != std::string::npos) {
        reader.diag().Error(PosOf(*table.get("disk")),
                            "a disk name must be a non-empty name without '\\': " + Quote(*disk));
        return fallback;
    }
    ManifestText text{{}, *disk, PosOf(*table.get("disk"))};
    return reader.Convert(text, "disk") ? text.cp932 : fallback;
}

std::optional<ShortcutSpec> ParseShortcut(ParseState& state, const toml::node& node) {
    Reader& reader = state.reader;
    if (!node.is_table()) {
        reader.diag().Error(PosOf(node), "'shortcut' must be a table");
        return std::nullopt;
    }
    const toml::table& table = *node.as_table();
    reader.CheckKeys(table, {"name", "description", "arguments", "desktop", "program_menu"},
                     "a shortcut");
    ShortcutSpec shortcut;
    shortcut.pos = PosOf(node);
    auto name = reader.Text(table, "name");
    if (!name) {
        if (!table.get("name"))  // else the name's own problem is reported already
            reader.diag().Error(shortcut.pos, "a shortcut needs a 'name'");
        return std::nullopt;
    }
    shortcut.name = *name;
    std::string problem = WindowsNameProblem(name->utf8);
    if (!problem.empty())
        reader.diag().Error(name->pos, "the shortcut name has " + problem);
    const std::string lnk = ".lnk";
    if (shortcut.name.cp932.size() < lnk.size() ||
        _stricmp(shortcut.name.cp932.c_str() + shortcut.name.cp932.size() - lnk.size(),
                 lnk.c_str()) != 0) {
        shortcut.name.cp932 += lnk;
        shortcut.name.utf8 += lnk;
    }
    shortcut.description = reader.Text(table, "description").value_or(ManifestText{});
    shortcut.arguments = reader.Text(table, "arguments").value_or(ManifestText{});
    shortcut.desktop = reader.Bool(table, "desktop", false);
    shortcut.programMenu = reader.Bool(table, "program_menu", false);
    if (!shortcut.desktop && !shortcut.programMenu)
        reader.diag().Error(shortcut.pos,
                            "a shortcut needs 'desktop = true', 'program_menu = true' or both");
    if (shortcut.desktop) {
        state.hasDesktopShortcut = true;
        state.desktopShortcutPos = shortcut.pos;
    }
    if (shortcut.programMenu) {
        state.hasMenuShortcut = true;
        state.menuShortcutPos = shortcut.pos;
    }
    return shortcut;
}

void ParseFile(ParseState& state, const toml::table& table, const std::string& disk,
               ComponentSpec& component) {
    Reader& reader = state.reader;
    reader.CheckKeys(
        table,
        {"source", "dest", "name", "shortcut", "shared_dll", "display_icon", "delete_at_restart",
         "never_remove", "uninstall_only", "run_after_install", "disk"},
        "a file");
    FileSpec file;
    file.pos = PosOf(table);
    auto source = reader.String(table, "source");
    if (!source || source->empty()) {
        reader.diag().Error(file.pos, "a file needs a 'source'");
        return;
    }
    file.source = *source;
    file.sourcePos = PosOf(*table.get("source"));
    if (!reader.NoNul(file.source, "source", file.sourcePos))
        return;
    const std::string destText = reader.String(table, "dest").value_or("IF");
    const SourcePos destPos = table.get("dest") ? PosOf(*table.get("dest")) : file.pos;
    auto dest = ParseDestination(reader, destText, destPos, false, "dest");
    if (!dest)
        return;
    file.dest = *dest;
    file.name = reader.Text(table, "name");
    if (file.name) {
        std::string problem = WindowsNameProblem(file.name->utf8);
        if (!problem.empty())
            reader.diag().Error(file.name->pos, "'name' has " + problem);
        if (file.source.find_first_of("*?") != std::string::npos)
            reader.diag().Error(file.name->pos,
                                "'name' renames a single file and cannot go with a wildcard "
                                "source");
    }
    if (reader.Bool(table, "shared_dll", false))
        file.flags |= ITEM_SHARED_DLL;
    if (reader.Bool(table, "display_icon", false)) {
        file.flags |= ITEM_DISPLAY_ICON;
        if (++state.displayIcons > 1)
            reader.diag().Error(PosOf(*table.get("display_icon")),
                                "only one file can be the display icon");
    }
    if (reader.Bool(table, "delete_at_restart", false))
        file.flags |= ITEM_DELETE_AT_RESTART;
    file.flags |= RemovalFlags(reader, table);
    file.runAfterInstall = reader.Bool(table, "run_after_install", false);
    if (const toml::node* shortcut = table.get("shortcut"))
        file.shortcut = ParseShortcut(state, *shortcut);
    file.disk = Disk(reader, table, disk);
    component.files.push_back(std::move(file));
}

void ParseFolder(ParseState& state, const toml::table& table, const std::string& disk,
                 ComponentSpec& component) {
    Reader& reader = state.reader;
    reader.CheckKeys(table, {"dest", "never_remove", "uninstall_only", "disk"}, "a folder");
    FolderSpec folder;
    folder.pos = PosOf(table);
    auto destText = reader.String(table, "dest");
    if (!destText) {
        reader.diag().Error(folder.pos, "a folder needs a 'dest'");
        return;
    }
    auto dest = ParseDestination(reader, *destText, PosOf(*table.get("dest")), false, "dest");
    if (!dest)
        return;
    if (dest->components.empty()) {
        reader.diag().Error(dest->pos, "a folder item needs a folder below the macro");
        return;
    }
    folder.dest = *dest;
    folder.flags = RemovalFlags(reader, table);
    folder.disk = Disk(reader, table, disk);
    component.folders.push_back(std::move(folder));
}

void ParseRegistry(ParseState& state, const toml::table& table, const std::string& disk,
                   ComponentSpec& component) {
    Reader& reader = state.reader;
    reader.CheckKeys(
        table, {"key", "value", "recursive", "check", "never_remove", "uninstall_only", "disk"},
        "a registry item");
    RegistrySpec item;
    item.pos = PosOf(table);
    auto keyText = reader.String(table, "key");
    if (!keyText) {
        reader.diag().Error(item.pos, "a registry item needs a 'key'");
        return;
    }
    auto key = ParseDestination(reader, *keyText, PosOf(*table.get("key")), true, "key");
    if (!key)
        return;
    if (key->components.empty()) {
        reader.diag().Error(key->pos, "a registry item needs a key below the root");
        return;
    }
    item.key = *key;
    item.value = reader.Text(table, "value");
    item.flags = ITEM_REGISTRY | RemovalFlags(reader, table);
    if (reader.Bool(table, "recursive", false))
        item.flags |= ITEM_KEY_RECURSIVE;
    if (const toml::node* check = table.get("check")) {
        if (!check->is_table()) {
            reader.diag().Error(PosOf(*check), "'check' must be a table { mode, text }");
        } else {
            const toml::table& checkTable = *check->as_table();
            reader.CheckKeys(checkTable, {"mode", "text"}, "a default-value check");
            const std::string mode = reader.String(checkTable, "mode").value_or("exact");
            auto found = std::find_if(std::begin(kCheckModes), std::end(kCheckModes),
                                      [&](const char* m) { return mode == m; });
            if (found == std::end(kCheckModes))
                reader.diag().Error(PosOf(*check),
                                    "unknown check mode " + Quote(mode) +
                                        " (exact, nocase, parent_exact, parent_nocase)");
            item.checkMode = static_cast<std::uint8_t>(found - std::begin(kCheckModes));
            item.checkText = reader.Text(checkTable, "text").value_or(ManifestText{});
            item.flags |= ITEM_KEY_CHECK_DEFAULT;
        }
    }
    if (item.value && (item.flags & (ITEM_KEY_RECURSIVE | ITEM_KEY_CHECK_DEFAULT)))
        reader.diag().Error(item.pos,
                            "'recursive' and 'check' apply to keys, not to a registry value");
    item.disk = Disk(reader, table, disk);
    component.registry.push_back(std::move(item));
}

// Arrays of tables under key, each handed to parse.
template <typename Parse>
void ForEachTable(Reader& reader, const toml::table& table, const char* key, Parse parse) {
    const toml::node* node = table.get(key);
    if (!node)
        return;
    const toml::array* array = node->as_array();
    if (!array) {
        reader.diag().Error(PosOf(*node), Quote(key) + " must be an array of tables ([[...]])");
        return;
    }
    for (const toml::node& element : *array) {
        if (!element.is_table())
            reader.diag().Error(PosOf(element), "each " + Quote(key) + " must be a table");
        else
            parse(*element.as_table());
    }
}

// Tree images keep a node's depth in one byte, and the tree refuses nodes deeper than 254.
constexpr int kComponentDepthLimit = 254;

ComponentSpec ParseComponent(ParseState& state, const toml::table& table,
                             const std::string& parentDisk, int depth) {
    Reader& reader = state.reader;
    reader.CheckKeys(table,
                     {"name", "description", "standard", "custom", "disk", "files", "folders",
                      "registry", "component"},
                     "a component");
    ComponentSpec component;
    component.pos = PosOf(table);
    if (auto name = reader.Text(table, "name")) {
        component.name = *name;
        if (name->utf8.empty() || name->utf8.find('\\') != std::string::npos)
            reader.diag().Error(name->pos,
                                "a component name must be a non-empty name without '\\'");
    } else if (!table.get("name")) {  // else the name's own problem is reported already
        reader.diag().Error(component.pos, "a component needs a 'name'");
    }
    component.description = reader.Text(table, "description").value_or(ManifestText{});
    component.standard = reader.Bool(table, "standard", true);
    component.custom = reader.Bool(table, "custom", component.standard);
    const std::string disk = Disk(reader, table, parentDisk);
    ForEachTable(reader, table, "files",
                 [&](const toml::table& t) { ParseFile(state, t, disk, component); });
    ForEachTable(reader, table, "folders",
                 [&](const toml::table& t) { ParseFolder(state, t, disk, component); });
    ForEachTable(reader, table, "registry",
                 [&](const toml::table& t) { ParseRegistry(state, t, disk, component); });
    ForEachTable(reader, table, "component", [&](const toml::table& t) {
        if (depth + 1 > kComponentDepthLimit)
            reader.diag().Error(PosOf(t), "components nest deeper than 254 levels");
        else
            component.children.push_back(ParseComponent(state, t, disk, depth + 1));
    });
    std::set<std::string> names;
    for (const ComponentSpec& child : component.children) {
        if (!names.insert(FoldCp932Case(child.name.cp932)).second)
            reader.diag().Error(child.pos, "a second component named " + Quote(child.name.utf8));
    }
    return component;
}

// A list of bit names (or bit numbers 0-31) into a bit set.
std::optional<std::uint32_t> ParseBits(Reader& reader, const toml::table& table, const char* key,
                                       const BitName* names, std::size_t count) {
    const toml::node* node = table.get(key);
    if (!node)
        return std::nullopt;
    const toml::array* array = node->as_array();
    if (!array) {
        reader.diag().Error(PosOf(*node), Quote(key) + " must be an array of names");
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (const toml::node& element : *array) {
        if (const auto* number = element.as_integer()) {
            if (number->get() < 0 || number->get() > 31)
                reader.diag().Error(PosOf(element), "a bit number must lie in 0-31");
            else
                bits |= 1u << number->get();
            continue;
        }
        const auto* name = element.as_string();
        const BitName* found =
            name ? std::find_if(names, names + count,
                                [&](const BitName& n) { return name->get() == n.name; })
                 : names + count;
        if (found == names + count) {
            std::string known;
            for (std::size_t i = 0; i < count; ++i)
                known += std::string(i ? ", " : "") + names[i].name;
            reader.diag().Error(PosOf(element),
                                "unknown name in " + Quote(key) + " (known: " + known + ")");
            continue;
        }
        bits |= 1u << found->bit;
    }
    return bits;
}

int CountLeaves(const std::vector<ComponentSpec>& components) {
    int count = 0;
    for (const ComponentSpec& component : components)
        count += component.children.empty() ? 1 : CountLeaves(component.children);
    return count;
}

// Sets a text from [product] or [install]; one given in [texts] too is an error.
void SetText(Manifest& manifest, Reader& reader, int number, std::optional<ManifestText> text,
             const char* where) {
    if (!text)
        return;
    if (manifest.texts[number]) {
        reader.diag().Error(text->pos, Quote(where) + " sets the text " +
                                           Quote(kTextRoles[number]) +
                                           ", which [texts] sets already");
        return;
    }
    manifest.texts[number] = std::move(text);
}

void FillDefaultTexts(Manifest& manifest, Reader& reader) {
    const ManifestText& name = *manifest.texts[TEXT_DISPLAY_NAME];
    auto fill = [&](int number, const ManifestText& from) {
        if (!manifest.texts[number])
            manifest.texts[number] = from;
    };
    fill(TEXT_SHORT_NAME, name);
    fill(TEXT_UNINSTALL_KEY, name);
    fill(TEXT_UNINSTALL_DISPLAY_NAME, name);
    for (const DefaultText& text : kDefaultTexts) {
        if (manifest.texts[text.number])
            continue;
        std::string utf8 = text.text;
        const std::size_t at = utf8.find("%s");
        if (at != std::string::npos)
            utf8.replace(at, 2, name.utf8);
        ManifestText made{{}, utf8, name.pos};
        if (reader.Convert(made, kTextRoles[text.number]))
            manifest.texts[text.number] = made;
    }
}

void CheckConflicts(Manifest& manifest, ParseState& state, bool pagesGiven) {
    Diagnostics& diag = state.reader.diag();
    auto page = [&](int bit) { return (manifest.pageBits >> bit) & 1; };
    auto option = [&](int bit) { return (manifest.optionBits >> bit) & 1; };
    auto hasText = [&](int number) {
        return manifest.texts[number] && !manifest.texts[number]->cp932.empty();
    };
    const SourcePos pagesPos = pagesGiven ? manifest.pagesPos : manifest.optionsPos;
    if (page(PAGE_LICENCE) && !hasText(TEXT_LICENCE))
        diag.Error(pagesPos, "the licence page is shown but there is no 'licence' text");
    if (page(PAGE_WARNING) && !hasText(TEXT_NOTICE))
        diag.Error(pagesPos, "the warning page is shown but there is no 'notice' text");
    if (option(OPT_NO_AGREEMENT) && !page(PAGE_LICENCE))
        diag.Error(manifest.optionsPos, "'no_agreement' needs the licence page");
    if (option(OPT_GROUP_LOCKED) && page(PAGE_DEST_GROUP))
        diag.Error(manifest.optionsPos,
                   "'group_locked' fixes the program-menu group, but the page to choose it "
                   "('dest_group') is shown");
    if (option(OPT_GROUP_LOCKED) && state.hasMenuShortcut)
        diag.Error(state.menuShortcutPos,
                   "a program-menu shortcut is asked for, but 'group_locked' makes none");
    if (option(OPT_NO_DESKTOP_SHORTCUTS) && state.hasDesktopShortcut)
        diag.Error(state.desktopShortcutPos,
                   "a desktop shortcut is asked for, but 'no_desktop_shortcuts' makes none");
    if (option(OPT_NO_UNINSTALL) && (option(OPT_AUTO_UNINSTALL) || option(OPT_RESTART_UNINSTALL)))
        diag.Error(manifest.optionsPos,
                   "'no_uninstall' registers no uninstaller, so uninstall options mean nothing");
    if (option(OPT_RESTART_INSTALL) && option(OPT_NO_RESTART_PROMPT) && !page(PAGE_FINISH))
        diag.Error(manifest.optionsPos, "a restart is offered but there is no finish page");
    if (manifest.installFolderMacro == FolderMacro::RV &&
        (!hasText(TEXT_FOLDER_KEY) || !hasText(TEXT_FOLDER_VALUE)))
        diag.Error(manifest.installFolderPos,
                   "an install folder under 'RV' needs 'registry_key' and 'registry_value'");
}

std::uint32_t DefaultPages(const Manifest& manifest, const ParseState& state) {
    std::uint32_t pages =
        1u << PAGE_START | 1u << PAGE_PROGRESS | 1u << PAGE_FINISH | 1u << PAGE_DEST_FOLDER;
    if (manifest.texts[TEXT_NOTICE])
        pages |= 1u << PAGE_WARNING;
    if (manifest.texts[TEXT_LICENCE])
        pages |= 1u << PAGE_LICENCE;
    if (CountLeaves(manifest.components) > 1)
        pages |= 1u << PAGE_MODE | 1u << PAGE_ITEMS;
    if (state.hasMenuShortcut && !(manifest.optionBits >> OPT_GROUP_LOCKED & 1))
        pages |= 1u << PAGE_DEST_GROUP;
    return pages;
}

void ParseInstall(ParseState& state, const toml::table& install) {
    Reader& reader = state.reader;
    Manifest& manifest = state.manifest;
    reader.CheckKeys(install,
                     {"folder", "registry_root", "registry_key", "registry_value", "extra_number",
                      "uninstall_key", "data_file", "pages", "options", "run"},
                     "[install]");
    if (auto folder = reader.String(install, "folder")) {
        manifest.installFolderPos = PosOf(*install.get("folder"));
        if (auto dest =
                ParseDestination(reader, *folder, manifest.installFolderPos, false, "folder")) {
            manifest.installFolderMacro =
                static_cast<std::uint8_t>(FolderMacroId(dest->macro.c_str()));
            if (manifest.installFolderMacro == FolderMacro::IF)
                reader.diag().Error(manifest.installFolderPos,
                                    "the install folder cannot be built on itself ('IF')");
            ManifestText path{{}, {}, manifest.installFolderPos};
            for (const ManifestText& component : dest->components) {
                path.cp932 += "\\" + component.cp932;
                path.utf8 += "\\" + component.utf8;
            }
            SetText(manifest, reader, TEXT_INSTALL_PATH, path, "folder");
        }
    }
    if (auto root = reader.String(install, "registry_root")) {
        const std::uint16_t id = FolderMacroId(root->c_str());
        if (root->size() != 2 || !IsRegistryRoot(id))
            reader.diag().Error(PosOf(*install.get("registry_root")),
                                "'registry_root' must be CR, CU, LM, US or CC");
        else
            manifest.registryRootMacro = static_cast<std::uint8_t>(id);
    }
    SetText(manifest, reader, TEXT_FOLDER_KEY, reader.Text(install, "registry_key"),
            "registry_key");
    SetText(manifest, reader, TEXT_FOLDER_VALUE, reader.Text(install, "registry_value"),
            "registry_value");
    SetText(manifest, reader, TEXT_UNINSTALL_KEY, reader.Text(install, "uninstall_key"),
            "uninstall_key");
    SetText(manifest, reader, TEXT_DATA_FILE, reader.Text(install, "data_file"), "data_file");
    if (const toml::node* run = install.get("run")) {
        const toml::array* paths = run->as_array();
        if (!paths)
            reader.diag().Error(PosOf(*run),
                                "'run' must be an array of paths such as "
                                "'WF\\notepad.exe'");
        for (const toml::node& path : paths ? *paths : toml::array{}) {
            const auto* text = path.as_string();
            auto dest = text ? ParseDestination(reader, text->get(), PosOf(path), false, "run")
                             : std::nullopt;
            if (!text)
                reader.diag().Error(PosOf(path), "each entry of 'run' must be a path");
            else if (dest && dest->components.empty())
                reader.diag().Error(PosOf(path), "'run' names a program, not a folder macro");
            else if (dest)
                manifest.runPaths.push_back(*dest);
        }
    }
    if (const toml::node* extra = install.get("extra_number")) {
        const auto* number = extra->as_integer();
        if (!number || number->get() < 0 || number->get() > 0xFFFF)
            reader.diag().Error(PosOf(*extra), "'extra_number' must be a number in 0-65535");
        else
            manifest.extraNumber = static_cast<std::uint16_t>(number->get());
    }
}

}  // namespace

const char* PageBitName(int bit) {
    for (const BitName& name : kPageNames)
        if (name.bit == bit)
            return name.name;
    return nullptr;
}

const char* OptionBitName(int bit) {
    for (const BitName& name : kOptionNames)
        if (name.bit == bit)
            return name.name;
    return nullptr;
}

const char* TextRoleName(int number) {
    return number >= 0 && number < kSetupInfoTextCount ? kTextRoles[number] : "";
}

Manifest ReadManifest(const std::filesystem::path& file, Diagnostics& diagnostics) {
    Manifest manifest;
    manifest.file = file;
    manifest.baseDir = file.parent_path();
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) &&
        !std::filesystem::is_regular_file(file, ignored)) {
        diagnostics.Error(SourcePos{}, "the manifest is not a file (a folder, device or FIFO)");
        return manifest;
    }
    toml::table root;
    try {
        root = toml::parse_file(file.u8string());
    } catch (const toml::parse_error& error) {
        diagnostics.Error(PosOf(error.source()), std::string(error.description()));
        return manifest;
    }
    Reader reader(diagnostics, manifest);
    ParseState state{reader, manifest};
    reader.CheckKeys(root, {"product", "install", "texts", "component"}, "the manifest");

    bool nameGiven = false;  // a name given with a problem is reported as that problem
    if (const toml::table* texts = reader.Table(root, "texts")) {
        nameGiven = texts->get("display_name") != nullptr;
        for (auto&& [key, node] : *texts) {
            const auto* role = std::find(std::begin(kTextRoles), std::end(kTextRoles), key.str());
            if (role == std::end(kTextRoles))
                diagnostics.Error(PosOf(key.source()),
                                  "unknown text " + Quote(std::string(key.str())));
            else
                manifest.texts[role - std::begin(kTextRoles)] =
                    reader.Text(*texts, std::string(key.str()).c_str());
        }
    }

    const toml::table* product = reader.Table(root, "product");
    if (product) {
        reader.CheckKeys(*product, {"name", "publisher", "short_name"}, "[product]");
        SetText(manifest, reader, TEXT_DISPLAY_NAME, reader.Text(*product, "name"), "name");
        SetText(manifest, reader, TEXT_PUBLISHER, reader.Text(*product, "publisher"), "publisher");
        SetText(manifest, reader, TEXT_SHORT_NAME, reader.Text(*product, "short_name"),
                "short_name");
    }
    if (!manifest.texts[TEXT_DISPLAY_NAME]) {
        if (!nameGiven && !(product && product->get("name")))
            diagnostics.Error(product ? PosOf(*product) : SourcePos{1, 1},
                              "the product needs a name ([product] name = \"...\")");
        return manifest;
    }

    const toml::table* install = reader.Table(root, "install");
    if (install)
        ParseInstall(state, *install);
    if (!manifest.texts[TEXT_INSTALL_PATH] && !manifest.installFolderMacro) {
        diagnostics.Error(install ? PosOf(*install) : SourcePos{1, 1},
                          "the product needs an install folder ([install] folder = "
                          "'64\\Publisher\\Product')");
    }

    ForEachTable(reader, root, "component", [&](const toml::table& t) {
        manifest.components.push_back(ParseComponent(state, t, "Disk1", 0));
    });
    if (manifest.components.empty())
        diagnostics.Error(SourcePos{1, 1}, "the product needs at least one [[component]]");
    std::set<std::string> names;
    for (const ComponentSpec& component : manifest.components)
        if (!names.insert(FoldCp932Case(component.name.cp932)).second)
            diagnostics.Error(component.pos,
                              "a second component named " + Quote(component.name.utf8));

    bool pagesGiven = false;
    if (install) {
        manifest.optionsPos =
            install->get("options") ? PosOf(*install->get("options")) : PosOf(*install);
        manifest.optionBits =
            ParseBits(reader, *install, "options", kOptionNames, std::size(kOptionNames))
                .value_or(0);
        if (auto pages = ParseBits(reader, *install, "pages", kPageNames, std::size(kPageNames))) {
            manifest.pageBits = *pages;
            manifest.pagesPos = PosOf(*install->get("pages"));
            pagesGiven = true;
        }
    }
    if (!pagesGiven)
        manifest.pageBits = DefaultPages(manifest, state);
    FillDefaultTexts(manifest, reader);
    CheckConflicts(manifest, state, pagesGiven);
    return manifest;
}
