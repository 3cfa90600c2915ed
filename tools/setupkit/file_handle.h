// Opening files for setupkit through the platform layer (the handles the portable core reads
// and writes); a failure throws ToolError naming the file.
#pragma once

#include <filesystem>
#include <string>

#include "base/win_handles.h"
#include "tools/setupkit/host.h"

// An existing file, for reading.
ClFileHandle OpenForReading(const std::filesystem::path& path);
// A new or truncated file, for reading and writing.
ClFileHandle CreateForWriting(const std::filesystem::path& path);
// A file that did not exist before, for reading and writing; others may delete it while it is
// open. Not ok() when something of that name exists already: a symbolic link there is never
// followed.
ClFileHandle CreateNewFile(const std::filesystem::path& path);
