// The source files a manifest names: a file, a folder (taken whole, with its empty sub-folders)
// or a wildcard pattern, expanded into a list in byte order of the relative paths, whatever
// order the file system lists them in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct SourceFile {
    std::filesystem::path path;           // the file to read
    std::vector<std::string> subfolders;  // UTF-8 folders between the pattern's base and it
    std::string name;                     // UTF-8 file name
    bool emptyFolder = false;             // an empty sub-folder of a folder taken whole
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;  // FILETIME of the last write: 100 ns since 1601, UTC
};

// Expands a source (UTF-8, "/" or "\" separated, relative to baseDir unless absolute). Wildcards:
// "*" and "?" within one name, "**" for any number of folders. Empty when nothing matches;
// throws ToolError naming the path when a folder cannot be read, a folder taken whole is empty,
// or what the source names is no file or folder (a device, a FIFO, a broken symbolic link or a
// loop of them).
std::vector<SourceFile> ExpandSource(const std::filesystem::path& baseDir,
                                     const std::string& pattern);

// The FILETIME of a file's last write, read through the platform layer.
std::uint64_t FileWriteTime(const std::filesystem::path& path);
