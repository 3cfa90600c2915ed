#include "tools/setupkit/sources.h"

#include <algorithm>
#include <system_error>

#include "base/platform.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/host.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitPattern(const std::string& pattern) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= pattern.size()) {
        std::size_t end = pattern.find_first_of("/\\", at);
        if (end == std::string::npos)
            end = pattern.size();
        if (end > at)
            parts.push_back(pattern.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

bool HasWildcard(const std::string& part) {
    return part.find_first_of("*?") != std::string::npos;
}

// Matches one name against "*" and "?" (bytes of UTF-8; "?" may match part of a character,
// which only matters for patterns nobody writes).
bool MatchName(const char* pattern, const char* name) {
    if (*pattern == '\0')
        return *name == '\0';
    if (*pattern == '*')
        return MatchName(pattern + 1, name) || (*name && MatchName(pattern, name + 1));
    if (*name && (*pattern == '?' || *pattern == *name))
        return MatchName(pattern + 1, name + 1);
    return false;
}

// What a path that cannot be a source is: a ToolError naming it. Nothing for a path that is
// not there at all.
void RefuseNonFile(const fs::path& path, const fs::file_status& status, std::error_code error) {
    const std::string name = "'" + path.u8string() + "'";
    if (error == std::errc::too_many_symbolic_link_levels)
        throw ToolError(name + " leads into a loop of symbolic links");
    if (error && error != std::errc::no_such_file_or_directory)
        throw ToolError("cannot read " + name + ": " + error.message());
    if (status.type() == fs::file_type::not_found) {
        if (IsLink(path))
            throw ToolError(name + " is a symbolic link to nothing");
        return;
    }
    throw ToolError(name + " is a device, FIFO or socket; a package holds files and folders");
}

class Matcher {
  public:
    Matcher(std::vector<std::string> parts, const fs::path& base)
        : parts_(std::move(parts)), path_{base} {}

    // Matches the pattern parts from index on below folder.
    void Match(const fs::path& folder, std::size_t index) {
        const std::string& part = parts_[index];
        const bool last = index + 1 == parts_.size();
        if (part == "**") {
            if (last) {
                TakeWhole(folder);
                return;
            }
            Match(folder, index + 1);  // no folder at all
            for (const Entry& entry : SortedEntries(folder)) {
                if (entry.status.type() == fs::file_type::directory)
                    Descend(entry, [&] { Match(entry.path, index); });
            }
            return;
        }
        for (const Entry& entry : SortedEntries(folder)) {
            if (!MatchName(part.c_str(), entry.name.c_str()))
                continue;
            const fs::file_type type = entry.status.type();
            if (!last && type == fs::file_type::directory)
                Descend(entry, [&] { Match(entry.path, index + 1); });
            else if (last && type == fs::file_type::regular)
                AddFile(entry.path, entry.name);
            else if (last && type != fs::file_type::directory)
                RefuseNonFile(entry.path, entry.status, entry.error);
        }
    }

    // A folder taken whole ("dir/**", or "dir" itself): every file, and every empty folder,
    // below it.
    void TakeWhole(const fs::path& folder) {
        for (const Entry& entry : SortedEntries(folder)) {
            const fs::file_type type = entry.status.type();
            if (type == fs::file_type::directory)
                Descend(entry, [&] { TakeWhole(entry.path); });
            else if (type == fs::file_type::regular)
                AddFile(entry.path, entry.name);
            else
                RefuseNonFile(entry.path, entry.status, entry.error);
        }
        if (!subfolders_.empty() && !found_) {
            SourceFile empty;
            empty.path = folder;
            empty.subfolders = subfolders_;
            empty.name = subfolders_.back();
            empty.subfolders.pop_back();
            empty.emptyFolder = true;
            out_.push_back(std::move(empty));
        }
        found_ = true;  // the folders above it are not empty
    }

    void AddFile(const fs::path& path, const std::string& name) {
        SourceFile file;
        file.path = path;
        file.subfolders = subfolders_;
        file.name = name;
        std::error_code error;
        file.size = fs::file_size(path, error);
        if (error)
            throw ToolError("cannot read '" + path.u8string() + "': " + error.message());
        file.writeTime = FileWriteTime(file.path);
        out_.push_back(std::move(file));
        found_ = true;
    }

    std::vector<SourceFile> Take() { return std::move(out_); }

  private:
    struct Entry {
        fs::path path;
        std::string name;        // UTF-8
        fs::file_status status;  // of what a symbolic link leads to
        std::error_code error;
    };

    // The entries of a folder, sorted by name: listing order never reaches the package.
    static std::vector<Entry> SortedEntries(const fs::path& folder) {
        std::vector<Entry> entries;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            Entry entry{it->path(), it->path().filename().u8string(), {}, {}};
            entry.status = fs::status(entry.path, entry.error);
            entries.push_back(std::move(entry));
        }
        if (error)
            throw ToolError("cannot list the folder '" + folder.u8string() +
                            "': " + error.message());
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return entries;
    }

    // Runs match inside a sub-folder, refusing one that is (through a symbolic link) a folder
    // on the way to it: that would never end.
    template <typename Then>
    void Descend(const Entry& entry, Then match) {
        for (const fs::path& above : path_) {
            std::error_code error;
            if (fs::equivalent(entry.path, above, error))
                throw ToolError("'" + entry.path.u8string() + "' leads back to '" +
                                above.u8string() + "': a loop of symbolic links");
        }
        const bool foundBefore = found_;
        found_ = false;
        path_.push_back(entry.path);
        subfolders_.push_back(entry.name);
        match();
        subfolders_.pop_back();
        path_.pop_back();
        found_ = found_ || foundBefore;
    }

    std::vector<std::string> parts_;
    std::vector<fs::path> path_;  // the pattern's base and the folders entered below it
    std::vector<std::string> subfolders_;
    bool found_ = false;  // something was taken below the current folder
    std::vector<SourceFile> out_;
};

std::string RelativePath(const SourceFile& file) {
    std::string path;
    for (const std::string& folder : file.subfolders)
        path += folder + '/';
    return path + file.name;
}

}  // namespace

std::vector<SourceFile> ExpandSource(const fs::path& baseDir, const std::string& pattern) {
    const fs::path asGiven = fs::u8path(pattern);
    std::vector<std::string> parts =
        SplitPattern(asGiven.is_absolute() ? asGiven.relative_path().u8string() : pattern);
    fs::path fixed = asGiven.is_absolute() ? asGiven.root_path() : baseDir;
    std::size_t index = 0;
    for (; index < parts.size() && !HasWildcard(parts[index]); ++index)
        fixed /= fs::u8path(parts[index]);
    std::error_code error;
    const fs::file_status status = fs::status(fixed, error);
    const bool folder = status.type() == fs::file_type::directory;
    if (index == parts.size() && !folder) {
        // No wildcard: one file.
        if (status.type() != fs::file_type::regular) {
            RefuseNonFile(fixed, status, error);
            return {};
        }
        Matcher matcher({}, fixed);
        matcher.AddFile(fixed, fixed.filename().u8string());
        return matcher.Take();
    }
    if (!folder)
        return {};
    const bool whole = index == parts.size();
    if (whole)
        parts.push_back("**");
    Matcher matcher(parts, fixed);
    matcher.Match(fixed, index);
    std::vector<SourceFile> out = matcher.Take();
    if (whole && out.empty())
        throw ToolError("the folder '" + fixed.u8string() +
                        "' is empty; an empty folder is made with [[component.folders]]");
    std::sort(out.begin(), out.end(), [](const SourceFile& a, const SourceFile& b) {
        return RelativePath(a) < RelativePath(b);
    });
    return out;
}

std::uint64_t FileWriteTime(const fs::path& path) {
    ClFileHandle file = OpenForReading(path);
    FILETIME write{};
    const BOOL ok = GetFileTime(file.get(), nullptr, nullptr, &write);
    if (!ok)
        throw ToolError("cannot read the file time of " + path.u8string());
    return static_cast<std::uint64_t>(write.dwHighDateTime) << 32 | write.dwLowDateTime;
}
