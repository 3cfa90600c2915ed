// Opening files for setupkit through the platform layer (the handles the portable core reads
// and writes); a failure throws ToolError naming the file.
#pragma once

#include <filesystem>
#include <string>

#include "base/win_handles.h"

// A path as the platform layer's ANSI calls take it: the system code page on Windows (where
// std::filesystem would give UTF-8), the bytes themselves elsewhere.
std::string AnsiPath(const std::filesystem::path& path);

// An existing file, for reading.
ClFileHandle OpenForReading(const std::filesystem::path& path);
// A new or truncated file, for reading and writing.
ClFileHandle CreateForWriting(const std::filesystem::path& path);
