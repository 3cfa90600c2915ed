#include "tools/setupkit/sources.h"

#include <algorithm>
#include <system_error>

#include "base/platform.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/file_handle.h"

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

// The entries of a folder, sorted by name: listing order never reaches the package.
std::vector<fs::directory_entry> SortedEntries(const fs::path& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    if (error)
        throw ToolError("cannot list the folder " + folder.u8string() + ": " + error.message());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().u8string() < b.path().filename().u8string();
    });
    return entries;
}

void AddFile(const fs::directory_entry& entry, const std::vector<std::string>& subfolders,
             std::vector<SourceFile>& out) {
    SourceFile file;
    file.path = entry.path();
    file.subfolders = subfolders;
    file.name = entry.path().filename().u8string();
    file.size = entry.file_size();
    file.writeTime = FileWriteTime(file.path);
    out.push_back(std::move(file));
}

// Matches the pattern parts from index on below folder; subfolders are the folders passed.
void Match(const fs::path& folder, const std::vector<std::string>& parts, std::size_t index,
           std::vector<std::string>& subfolders, std::vector<SourceFile>& out) {
    const std::string& part = parts[index];
    const bool last = index + 1 == parts.size();
    if (part == "**") {
        if (last) {
            // "dir/**" is the whole folder.
            for (const auto& entry : SortedEntries(folder)) {
                const std::string name = entry.path().filename().u8string();
                if (entry.is_directory()) {
                    subfolders.push_back(name);
                    Match(entry.path(), parts, index, subfolders, out);
                    subfolders.pop_back();
                } else if (entry.is_regular_file()) {
                    AddFile(entry, subfolders, out);
                }
            }
            return;
        }
        Match(folder, parts, index + 1, subfolders, out);  // no folder at all
        for (const auto& entry : SortedEntries(folder)) {
            if (!entry.is_directory())
                continue;
            subfolders.push_back(entry.path().filename().u8string());
            Match(entry.path(), parts, index, subfolders, out);
            subfolders.pop_back();
        }
        return;
    }
    for (const auto& entry : SortedEntries(folder)) {
        const std::string name = entry.path().filename().u8string();
        if (!MatchName(part.c_str(), name.c_str()))
            continue;
        if (last && entry.is_regular_file()) {
            AddFile(entry, subfolders, out);
        } else if (!last && entry.is_directory()) {
            subfolders.push_back(name);
            Match(entry.path(), parts, index + 1, subfolders, out);
            subfolders.pop_back();
        }
    }
}

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
    std::vector<SourceFile> out;
    std::vector<std::string> subfolders;
    std::error_code error;
    if (index == parts.size()) {
        // No wildcard: one file, or a folder taken whole.
        if (fs::is_regular_file(fixed, error)) {
            AddFile(fs::directory_entry(fixed), subfolders, out);
            return out;
        }
        if (!fs::is_directory(fixed, error))
            return out;
        parts.push_back("**");
    } else if (!fs::is_directory(fixed, error)) {
        return out;
    }
    Match(fixed, parts, index, subfolders, out);
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
